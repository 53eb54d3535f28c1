// The field stream: Velmar's FieldReader and trivo's own FieldScanner must read the same fields from
// any file, in records of 2 fields (class table) and of 3 (pupil export, converted file). A record
// that trivo writes back reads again as it was written.
//
// Input: one byte whose low bit chooses records of 2 or of 3 fields, then the file's bytes.
#include "converter/fieldscanner.h"
#include "converter/pupillines.h"
#include "fuzzsupport.h"
#include "text/cp1252.h"
#include "text/fieldreader.h"

#include <QList>

namespace {

QString shown(const QByteArray &bytes)
{
    return QString::fromLatin1(bytes.toHex(' '));
}

void appendRecord(QByteArray &out, const QList<QByteArrayView> &fields)
{
    if (fields.size() == 2)
        PupilLines::appendLine(out, {fields[0], fields[1]});
    else
        PupilLines::appendLine(out, {fields[0], fields[1], fields[2]});
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size == 0)
        return 0;
    const int n = 2 + (data[0] & 1);
    const QByteArray bytes = Fuzz::bytesOf(data + 1, size - 1);

    FieldReader reader(bytes);
    FieldScanner scanner(bytes);
    QList<QList<QByteArrayView>> records;
    QByteArray written;
    while (!reader.atEnd()) {
        FUZZ_CHECK(!scanner.atEnd(), QStringLiteral("scanner ends first in %1").arg(shown(bytes)));
        const QStringList record = reader.record(n);
        FUZZ_CHECK(record.size() == n, shown(bytes));
        QList<QByteArrayView> scanned;
        for (int i = 0; i < n; ++i) {
            scanned.append(scanner.field());
            FUZZ_CHECK(Cp1252::decode(scanned.last().toByteArray()) == record[i],
                QStringLiteral("field %1 of record %2 differs in %3").arg(i).arg(records.size()).arg(shown(bytes)));
        }
        records.append(scanned);
        appendRecord(written, scanned);
    }
    FUZZ_CHECK(scanner.atEnd(), QStringLiteral("reader ends first in %1").arg(shown(bytes)));

    FieldReader again(written);
    for (const QList<QByteArrayView> &record : std::as_const(records)) {
        const QStringList read = again.record(n);
        for (int i = 0; i < n; ++i) {
            FUZZ_CHECK(read[i] == Cp1252::decode(PupilLines::readBack(record[i]).toByteArray()),
                QStringLiteral("written %1 reads back %2").arg(shown(written), read.join(u'|')));
        }
    }
    FUZZ_CHECK(again.atEnd(), QStringLiteral("written %1 holds more records").arg(shown(written)));
    return 0;
}
