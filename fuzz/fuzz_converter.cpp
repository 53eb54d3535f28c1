// trivo's conversion, run in a scratch program folder: whatever the export and the class table hold,
// it writes the converted pupil file, the error file and its work folder's files, and nothing else;
// its inputs stay as they were; the error file holds one record per pupil without a class; a
// refused run leaves the converted file as it was.
//
// Input: a byte of choices (lower case, work folder, a converted file already there), then the
// export, a NUL byte, the class table, and optionally a NUL byte and the work folder's text.
#include "converter/converter.h"
#include "fuzzsupport.h"
#include "text/fieldreader.h"
#include "text/pathresolver.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

class Silent : public ConversionObserver
{
public:
    void counted(qint64) override { }
    void progressed(qint64) override { }
    void analysed(const QString &) override { }
    void stillWorking() override { }
};

const QString &sandbox()
{
    static const QString root = Fuzz::scratchRoot() + QStringLiteral("/converter");
    return root;
}

QString programFolder()
{
    return sandbox() + QStringLiteral("/pf");
}

const QStringList kWorkFolders
    = {QStringLiteral("d:"), QStringLiteral("w:"), QStringLiteral("c:"), QStringLiteral("D:\\Travail"),
        QStringLiteral("w:\\..\\"), QString(), QStringLiteral("d:\\absent"), QStringLiteral("Travail")};

void write(const QString &host, const QByteArray &bytes)
{
    QFile file(host);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        Fuzz::fail("the inputs can be written", host);
}

QByteArray contents(const QString &host)
{
    QFile file(host);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The path part of a snapshot line.
QString pathOf(const QString &line)
{
    for (const QString &mark : {QStringLiteral(" = "), QStringLiteral(" -> ")}) {
        const qsizetype at = line.indexOf(mark);
        if (at >= 0)
            return line.left(at);
    }
    return line.endsWith(u'/') ? line.chopped(1) : line;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size == 0)
        return 0;
    const std::uint8_t choices = data[0];
    const QByteArray rest = Fuzz::bytesOf(data + 1, size - 1);
    const qsizetype firstNul = rest.indexOf('\0');
    const QByteArray exportBytes = firstNul < 0 ? rest : rest.left(firstNul);
    QByteArray tableBytes = firstNul < 0 ? QByteArray("A,TS8\r\n") : rest.mid(firstNul + 1);
    QString workFolder = kWorkFolders[(choices >> 1) % kWorkFolders.size()];
    if (const qsizetype secondNul = tableBytes.indexOf('\0'); secondNul >= 0) {
        const QString given = QString::fromUtf8(tableBytes.mid(secondNul + 1));
        tableBytes.truncate(secondNul);
        // A path of this machine may lie anywhere: that is the administrator's choice, not the converter's.
        if (!given.startsWith(u'/'))
            workFolder = given;
    }
    const bool convertedThere = choices & 0x80;

    Fuzz::lay(sandbox(),
        {QStringLiteral("pf/lecteurs.txt=W:,../srv/w\r\n"), QStringLiteral("pf/lecteurs/c/"),
            QStringLiteral("pf/lecteurs/d/Travail/TS8.txt=OLD,Pupil,TS8\r\n"), QStringLiteral("pf/Travail/"),
            QStringLiteral("srv/w/"), QStringLiteral("ailleurs/temoin.txt=x")});
    const PathResolver paths(programFolder());
    const QString exportHost = paths.toHost(QStringLiteral("c:\\orvoexcel.txt"));
    const QString tableHost = paths.toHost(QStringLiteral("c:\\div.txt"));
    const QString convertedHost = paths.toHost(QStringLiteral("c:\\orvo.txt"));
    const QString errorHost = paths.toHost(QStringLiteral("c:\\erreurs.txt"));
    write(exportHost, exportBytes);
    write(tableHost, tableBytes);
    const QByteArray convertedBefore = convertedThere ? QByteArray("KEPT,Line,TS1\r\n") : QByteArray();
    if (convertedThere)
        write(convertedHost, convertedBefore);
    const QStringList before = Fuzz::snapshot(sandbox());

    ConversionRequest request;
    request.exportFile = QStringLiteral("c:\\orvoexcel.txt");
    request.convertedFile = QStringLiteral("c:\\orvo.txt");
    request.errorFile = QStringLiteral("c:\\erreurs.txt");
    request.classTable = QStringLiteral("c:\\div.txt");
    request.workFolder = workFolder;
    request.lowerCase = choices & 1;
    Silent observer;
    const Result<ConversionReport> report = Converter(paths).run(request, observer);

    const QString what = QStringLiteral("work folder « %1 »").arg(workFolder);
    FUZZ_CHECK(contents(exportHost) == exportBytes && contents(tableHost) == tableBytes,
        what + QStringLiteral(": an input changed"));

    // Only the two named files and the work folder's own files may have changed.
    const QString workHost = QFileInfo(paths.toHost(workFolder + QStringLiteral("\\temporvo.txt"))).absolutePath();
    const QStringList after = Fuzz::snapshot(sandbox());
    const QSet<QString> kept(before.cbegin(), before.cend());
    for (const QString &line : after) {
        if (kept.contains(line))
            continue;
        const QString host = sandbox() + pathOf(line);
        const bool allowed = host == convertedHost || host == errorHost || QFileInfo(host).absolutePath() == workHost
            || (line.endsWith(u'/') && QFileInfo(host).absolutePath() == programFolder() + QStringLiteral("/lecteurs"));
        FUZZ_CHECK(allowed, what + QStringLiteral(": wrote ") + line);
    }
    const QSet<QString> now(after.cbegin(), after.cend());
    for (const QString &line : before) {
        if (!now.contains(line)) {
            const QString host = sandbox() + pathOf(line);
            FUZZ_CHECK(host == convertedHost || host == errorHost || QFileInfo(host).absolutePath() == workHost,
                what + QStringLiteral(": removed or changed ") + line);
        }
    }

    if (!report) {
        FUZZ_CHECK(contents(convertedHost) == convertedBefore,
            what + QStringLiteral(": refused with « ") + report.message()
                + QStringLiteral(" » but the converted file changed"));
        FUZZ_CHECK(QFileInfo::exists(convertedHost) == convertedThere, what + QStringLiteral(": converted file left"));
        return 0;
    }
    FUZZ_CHECK(contents(convertedHost).startsWith(convertedBefore), what + QStringLiteral(": earlier lines lost"));
    FUZZ_CHECK(
        !QFileInfo::exists(workHost + QStringLiteral("/temporvo.txt")), what + QStringLiteral(": temporary file left"));
    FieldReader errors(contents(errorHost));
    for (int i = 0; i < 3; ++i)
        errors.line();
    qint64 records = 0;
    while (!errors.atEnd()) {
        errors.record(2);
        ++records;
    }
    FUZZ_CHECK(records == report->withoutClass,
        what
            + QStringLiteral(": %1 records in the error file for %2 pupils without a class")
                  .arg(records)
                  .arg(report->withoutClass));
    return 0;
}
