#include "fieldscanner.h"

#include <cstring>

namespace {

inline bool isLineEnd(char c)
{
    return c == '\r' || c == '\n';
}

// The first comma or line end from p on, or end.
inline const char *separatorFrom(const char *p, const char *end)
{
    while (p < end && *p != ',' && !isLineEnd(*p))
        ++p;
    return p;
}

} // namespace

QByteArrayView FieldScanner::field()
{
    const char *const begin = m_bytes.data();
    const char *const end = begin + m_bytes.size();
    const char *p = begin + m_pos;
    while (p < end && *p == ' ')
        ++p;
    if (p >= end) {
        m_pos = m_bytes.size();
        return {};
    }

    QByteArrayView value;
    if (*p == '"') {
        const char *close = static_cast<const char *>(std::memchr(p + 1, '"', end - p - 1));
        const char *stop = close ? close : end;
        value = QByteArrayView(p + 1, stop - p - 1);
        // Whatever stands between the closing quote and the separator is dropped.
        p = close ? separatorFrom(close + 1, end) : end;
    } else {
        const char *start = p;
        p = separatorFrom(p, end);
        value = QByteArrayView(start, p - start);
    }

    if (p < end) {
        if (*p == ',') {
            ++p;
        } else {
            if (*p == '\r')
                ++p;
            if (p < end && *p == '\n')
                ++p;
        }
    }
    m_pos = p - begin;
    return value;
}
