#include "pupillines.h"

#include "text/cp1252.h"

#include <QChar>

#include <array>
#include <cstring>

namespace {

std::array<char, 256> makeLowerTable()
{
    std::array<char, 256> table {};
    for (int byte = 0; byte < 256; ++byte) {
        const QChar lower = QChar(Cp1252::toUnicode(static_cast<unsigned char>(byte))).toLower();
        const QByteArray encoded = Cp1252::encode(QString(lower));
        // A lower case outside the code page would come back as '?': keep the byte then.
        table[byte] = encoded.size() == 1 && encoded[0] != '?' ? encoded[0] : static_cast<char>(byte);
    }
    return table;
}

} // namespace

bool PupilLines::needsQuotes(QByteArrayView field)
{
    for (const char c : field) {
        if (c == ',' || c == '\r' || c == '\n')
            return true;
    }
    return false;
}

void PupilLines::appendBytes(QByteArray &out, QByteArrayView bytes)
{
    if (bytes.isEmpty())
        return;
    const qsizetype at = out.size();
    out.resize(at + bytes.size());
    std::memcpy(out.data() + at, bytes.data(), bytes.size());
}

void PupilLines::appendLine(QByteArray &out, std::initializer_list<QByteArrayView> fields)
{
    // Sized once and copied in: lines are appended by the hundred thousand.
    constexpr std::size_t kMaxFields = 4;
    Q_ASSERT(fields.size() <= kMaxFields);
    bool quoted[kMaxFields] = {};
    qsizetype length = 2 + qsizetype(fields.size()) - 1;
    std::size_t i = 0;
    for (const QByteArrayView field : fields) {
        quoted[i] = needsQuotes(field);
        length += field.size() + (quoted[i] ? 2 : 0);
        ++i;
    }
    const qsizetype at = out.size();
    out.resize(at + length);
    char *p = out.data() + at;
    i = 0;
    for (const QByteArrayView field : fields) {
        if (i > 0)
            *p++ = ',';
        if (quoted[i])
            *p++ = '"';
        if (!field.isEmpty())
            std::memcpy(p, field.data(), field.size());
        p += field.size();
        if (quoted[i])
            *p++ = '"';
        ++i;
    }
    *p++ = '\r';
    *p = '\n';
}

QByteArrayView PupilLines::readBack(QByteArrayView field)
{
    if (field.isEmpty() || field.front() != ' ' || needsQuotes(field))
        return field;
    qsizetype start = 0;
    while (start < field.size() && field[start] == ' ')
        ++start;
    return field.sliced(start);
}

void PupilLines::lowerInPlace(QByteArray &bytes)
{
    static const std::array<char, 256> table = makeLowerTable();
    char *data = bytes.data();
    for (qsizetype i = 0; i < bytes.size(); ++i)
        data[i] = table[static_cast<unsigned char>(data[i])];
}
