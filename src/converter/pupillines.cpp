#include "pupillines.h"

#include "text/cp1252.h"

#include <QChar>

#include <array>

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

void PupilLines::appendField(QByteArray &line, QByteArrayView field)
{
    if (needsQuotes(field)) {
        line.append('"');
        line.append(field);
        line.append('"');
    } else {
        line.append(field);
    }
}

void PupilLines::appendLine(QByteArray &out, std::initializer_list<QByteArrayView> fields)
{
    bool first = true;
    for (const QByteArrayView field : fields) {
        if (!first)
            out.append(',');
        first = false;
        appendField(out, field);
    }
    out.append("\r\n", 2);
}

QByteArrayView PupilLines::readBack(QByteArrayView field)
{
    if (needsQuotes(field))
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
