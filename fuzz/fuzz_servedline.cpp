// The lines the shell hands to a serving interpreter: whatever comes in is a line, nothing yet, or
// a clear failure; a line read and written again reads back the same; and a line cut anywhere is
// never taken for a line or for garbage before its end has come, however the stream is split.
//
// Input: the bytes of the stream.
#include "cmd/servedline.h"
#include "fuzzsupport.h"

namespace {

bool same(const ServedLine &a, const ServedLine &b)
{
    return a.workingFolder == b.workingFolder && a.environment == b.environment && a.words == b.words;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes = Fuzz::bytesOf(data, size);
    const QString detail = QString::fromLatin1(bytes.left(200).toHex(' '));
    QByteArray stream = bytes;
    auto taken = ServedLine::take(stream);
    if (!taken) {
        FUZZ_CHECK(!taken.message().isEmpty(), detail);
        FUZZ_CHECK(stream == bytes, detail);
        return 0;
    }
    if (!*taken) {
        FUZZ_CHECK(stream == bytes, detail);
        return 0;
    }
    const ServedLine &line = **taken;
    FUZZ_CHECK(bytes.endsWith(stream), detail);

    const QByteArray encoded = line.encode();
    QByteArray again = encoded + "tail";
    auto reread = ServedLine::take(again);
    FUZZ_CHECK(reread.ok() && reread->has_value() && same(**reread, line), detail);
    FUZZ_CHECK(again == "tail", detail);
    for (qsizetype cut = 0; cut < encoded.size(); cut += 1 + encoded.size() / 512) {
        QByteArray part = encoded.left(cut);
        auto early = ServedLine::take(part);
        FUZZ_CHECK(early.ok() && !early->has_value() && part.size() == cut, detail);
    }

    QByteArray answer = ServedLine::answer(int(size)) + bytes;
    auto code = ServedLine::takeAnswer(answer);
    FUZZ_CHECK(code.ok() && code->has_value() && **code == int(size) && answer == bytes, detail);
    return 0;
}
