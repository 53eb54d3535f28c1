// Windows-1252: every byte survives a read and a write, and a text survives a write and a read but
// for the characters the code page cannot hold, each of which becomes one '?'.
//
// Input: the bytes of a file, and the same bytes taken as UTF-16 text.
#include "fuzzsupport.h"
#include "text/cp1252.h"
#include "text/textwriter.h"

#include <QSet>

#include <cstring>

namespace {

// What the code page can hold, worked out from the byte side alone.
const QSet<char16_t> &holdable()
{
    static const QSet<char16_t> characters = [] {
        QSet<char16_t> set;
        for (int byte = 0; byte < 256; ++byte)
            set.insert(Cp1252::toUnicode(static_cast<unsigned char>(byte)));
        return set;
    }();
    return characters;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes = Fuzz::bytesOf(data, size);
    const QString decoded = Cp1252::decode(bytes);
    FUZZ_CHECK(decoded.size() == bytes.size(), QString::fromLatin1(bytes.toHex(' ')));
    FUZZ_CHECK(Cp1252::encode(decoded) == bytes, QString::fromLatin1(bytes.toHex(' ')));

    QString text(bytes.size() / 2, Qt::Uninitialized);
    std::memcpy(text.data(), bytes.constData(), std::size_t(text.size()) * sizeof(QChar));
    QString expected;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            ++i;
            expected += u'?';
        } else {
            expected += holdable().contains(c.unicode()) ? c : QChar(u'?');
        }
    }
    const QByteArray encoded = Cp1252::encode(text);
    FUZZ_CHECK(Cp1252::decode(encoded) == expected, QString::fromLatin1(bytes.toHex(' ')));
    FUZZ_CHECK(TextWriter::encodeLine(text) == encoded + "\r\n", QString::fromLatin1(bytes.toHex(' ')));
    return 0;
}
