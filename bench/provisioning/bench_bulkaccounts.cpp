// Step 3 of the provisioning panel, "Créer les utilisateurs et droits", on a school's worth of pupils:
// the embedded store, the program folder's own interpreter running one perso.bat per pupil, the
// account list and the account sheet written pupil by pupil.
//
//   bench_bulkaccounts [--sans-scripts] [COUNT...]      (default: 1000 5000)
//
// For each count it prints the pupils per second of the action itself (until its final message),
// of the whole run (until every personal folder is shared), and the most processes that ran at once.
// With --sans-scripts the lines are recorded and never run: the action's own cost, store included.
// Then it writes the run's journal again, line by line as the run does, and gives what that costs
// as a share of the action's time.
#include "directory/directoryfactory.h"
#include "journal/journalfile.h"
#include "journal/runjournal.h"
#include "provisioning/bulkaccounts.h"
#include "shell/processshell.h"
#include "support/benchfolder.h"
#include "support/benchservices.h"
#include "support/quietoutput.h"
#include "text/pathresolver.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>

namespace {

constexpr int kPupilsPerClass = 30;

QString className(int pupil)
{
    return QStringLiteral("C%1").arg(pupil / kPupilsPerClass);
}

// What step 1 leaves behind: the groups and the class folders; and the converted pupil file.
bool prepare(const PathResolver &paths, Directory &directory, int count)
{
    auto container = directory.bind(QStringLiteral("WinNT://SERVEUR1"));
    if (!container)
        return false;
    auto makeGroup = [&](const QString &name) {
        auto made = (*container)->create(DirKind::Group, name);
        return made && (*made)->put(DirProperty::GroupType, globalGroupType) && (*made)->setInfo();
    };
    if (!makeGroup(QStringLiteral("eleves")))
        return false;
    QByteArray pupils;
    for (int i = 0; i < count; ++i) {
        if (i % kPupilsPerClass == 0) {
            if (!makeGroup(className(i)))
                return false;
            QDir().mkpath(paths.toHost(QStringLiteral("E:\\Perso\\eleves\\") + className(i)));
        }
        pupils += "NOM" + QByteArray::number(i) + ",Prenom," + className(i).toLatin1() + "\r\n";
    }
    QFile file(paths.toHost(QStringLiteral("C:\\ORVO.txt")));
    return file.open(QIODevice::WriteOnly) && file.write(pupils) == pupils.size();
}

// Writes the lines of the run's journal into a new journal, one line at a time and each handed to
// the system, as the run writes them: what the journal costs the run. -1 when there is none.
qint64 journalCostMs(const PathResolver &paths)
{
    const QStringList journals = JournalFile::list(paths, QStringLiteral("creation"));
    if (journals.size() != 1)
        return -1;
    auto lines = JournalFile::readLines(paths, journals.first());
    if (!lines)
        return -1;
    QElapsedTimer timer;
    timer.start();
    RunJournal again = RunJournal::start(paths, QStringLiteral("mesure"), QDateTime::currentDateTime());
    again.write(*lines);
    const qint64 ms = timer.elapsed();
    return again.failed() ? -1 : ms;
}

int runOnce(int count, bool runScripts)
{
    QTemporaryDir dir;
    if (!dir.isValid() || !layProgramFolder(dir.path(), {QStringLiteral("C"), QStringLiteral("E")})) {
        std::fprintf(stderr, "cannot lay out a program folder in %s\n", qPrintable(dir.path()));
        return 1;
    }
    const PathResolver paths(dir.path());
    QString problem;
    std::unique_ptr<Directory> directory = openDirectory(paths, &problem);
    if (!problem.isEmpty() || !prepare(paths, *directory, count)) {
        std::fprintf(stderr, "cannot prepare the store: %s\n", qPrintable(problem));
        return 1;
    }

    ProcessShell shell(paths);
    // The run is given its input directly and opens no dialog.
    BenchServices bench(paths, *directory, runScripts ? &shell : nullptr);

    // The scripts' own messages would drown the figures.
    QuietOutput quiet(QuietOutput::OutputAndErrors);
    QElapsedTimer timer;
    timer.start();
    const int handled = BulkAccounts(bench.services)
                            .run({QStringLiteral("SERVEUR1"), QStringLiteral("C:"), QStringLiteral("E:\\Perso"),
                                QStringLiteral("C:\\ORVO.txt")});
    const qint64 actionMs = timer.elapsed();
    const bool idle = shell.waitForIdle(60 * 60 * 1000);
    const qint64 totalMs = timer.elapsed();
    quiet.restore();
    const qint64 journalMs = journalCostMs(paths);

    int folders = 0;
    for (int c = 0; c * kPupilsPerClass < count; ++c)
        folders += int(QDir(paths.toHost(QStringLiteral("E:\\Perso\\eleves\\C%1").arg(c)))
                           .entryList(QDir::Dirs | QDir::NoDotAndDotDot)
                           .size());
    std::printf("%5d pupils: action %7.1f s, %6.1f pupils/s | until every share exists %7.1f s, %6.1f pupils/s | "
                "peak processes %d (bound %d) | handled %d, personal folders %d%s\n",
        count, actionMs / 1000.0, count * 1000.0 / qMax<qint64>(actionMs, 1), totalMs / 1000.0,
        count * 1000.0 / qMax<qint64>(totalMs, 1), shell.peakRunning(), shell.maxRunning(), handled, folders,
        idle ? "" : " (scripts still running)");
    std::printf("%5d pupils: journal %lld ms, %.2f %% of the action\n", count, journalMs,
        100.0 * double(journalMs) / double(qMax<qint64>(actionMs, 1)));
    std::fflush(stdout);
    return handled == count && (folders == count || !runScripts) && idle && journalMs >= 0 ? 0 : 1;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QList<int> counts;
    bool runScripts = true;
    for (const QString &argument : QCoreApplication::arguments().mid(1)) {
        if (argument == QStringLiteral("--sans-scripts"))
            runScripts = false;
        else
            counts << argument.toInt();
    }
    if (counts.isEmpty())
        counts = {1000, 5000};
    int failures = 0;
    for (int count : counts)
        failures += runOnce(count, runScripts);
    return failures == 0 ? 0 : 1;
}
