#include "fieldscanner.h"

bool FieldScanner::atLineEnd() const
{
    const char c = m_bytes[m_pos];
    return c == '\r' || c == '\n';
}

void FieldScanner::skipLineEnd()
{
    if (m_pos < m_bytes.size() && m_bytes[m_pos] == '\r')
        ++m_pos;
    if (m_pos < m_bytes.size() && m_bytes[m_pos] == '\n')
        ++m_pos;
}

QByteArrayView FieldScanner::field()
{
    const qsizetype size = m_bytes.size();
    while (m_pos < size && m_bytes[m_pos] == ' ')
        ++m_pos;
    if (atEnd())
        return {};

    QByteArrayView value;
    if (m_bytes[m_pos] == '"') {
        const qsizetype close = m_bytes.indexOf('"', m_pos + 1);
        const qsizetype stop = close < 0 ? size : close;
        value = m_bytes.sliced(m_pos + 1, stop - m_pos - 1);
        m_pos = close < 0 ? size : close + 1;
        // Whatever stands between the closing quote and the separator is dropped.
        while (m_pos < size && m_bytes[m_pos] != ',' && !atLineEnd())
            ++m_pos;
    } else {
        const qsizetype start = m_pos;
        while (m_pos < size && m_bytes[m_pos] != ',' && !atLineEnd())
            ++m_pos;
        value = m_bytes.sliced(start, m_pos - start);
    }

    if (m_pos < size) {
        if (m_bytes[m_pos] == ',')
            ++m_pos;
        else
            skipLineEnd();
    }
    return value;
}
