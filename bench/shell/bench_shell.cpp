// How fast Velmar's process shell gets through a school's worth of perso.bat starts, as step 3 of
// the provisioning panel makes them: thousands in a row, never waited for, each handed to one of the
// interpreters the shell keeps serving.
//
//   bench_shell [COUNT] [MAX_RUNNING]      (defaults: 5000 and the shell's own bound)
//
// Each start makes a personal folder and shares it, so the share list grows to COUNT entries.
#include "cmd/filesharestore.h"
#include "shell/processshell.h"
#include "support/benchfolder.h"
#include "support/quietoutput.h"
#include "text/pathresolver.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    const int count = arguments.size() > 1 ? arguments[1].toInt() : 5000;
    const int maxRunning = arguments.size() > 2 ? arguments[2].toInt() : ProcessShell::kDefaultMaxRunning;

    QTemporaryDir dir;
    if (!dir.isValid() || !layProgramFolder(dir.path(), {QStringLiteral("E")})) {
        std::fprintf(stderr, "cannot lay out a program folder in %s\n", qPrintable(dir.path()));
        return 1;
    }
    const PathResolver paths(dir.path());
    ProcessShell shell(paths, maxRunning);

    // The scripts' own messages ("... a été partagé.") would drown the figures: the processes
    // inherit a standard output that goes nowhere while they run.
    QuietOutput quiet;

    QElapsedTimer timer;
    timer.start();
    int refused = 0;
    for (int i = 0; i < count; ++i) {
        const QString login = QStringLiteral("C%1eleve%2").arg(i / 30).arg(i);
        const QString line
            = dir.path() + QStringLiteral("\\perso.bat E:\\Perso\\eleves\\C%1\\").arg(i / 30) + login + u' ' + login;
        if (!shell.start(line, WindowStyle::Minimized))
            ++refused;
    }
    const qint64 queuedMs = timer.elapsed();
    const bool idle = shell.waitForIdle(60 * 60 * 1000);
    const qint64 totalMs = timer.elapsed();
    quiet.restore();

    auto shares = FileShareStore(dir.path()).list();
    const qsizetype shared = shares ? shares->size() : -1;
    std::printf("perso.bat starts:        %d (refused %d)\n", count, refused);
    std::printf("all queued after:        %lld ms (%.1f us per start call)\n", queuedMs,
        count ? 1000.0 * queuedMs / count : 0.0);
    std::printf("all ended after:         %lld ms%s\n", totalMs, idle ? "" : " (NOT IDLE)");
    std::printf("lines per second:        %.1f\n", totalMs ? 1000.0 * count / totalMs : 0.0);
    std::printf("peak running at once:    %d (bound %d)\n", shell.peakRunning(), shell.maxRunning());
    std::printf("shares listed at the end: %lld\n", static_cast<long long>(shared));
    return idle && shared == count ? 0 : 1;
}
