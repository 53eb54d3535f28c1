// The process shell: how a line becomes a program and its arguments, starting without waiting or
// with a wait, no system shell in between, the bound on lines running at once, and the interpreters
// it keeps serving lines.
#include "shell/processshell.h"
#include "support/tempprogramfolder.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTest>

#include <cerrno>
#include <cstdio>
#include <memory>
#include <optional>
#include <thread>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

class TestProcessShell : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();

    void resolvesLines_data();
    void resolvesLines();
    void refusesWhatCannotStart_data();
    void refusesWhatCannotStart();

    void programFolderWithSpaces();
    void startReturnsWhileTheProcessRuns();
    void startAndWaitWaitsForTheEnd();
    void startAndWaitGivesUpAfterItsTimeout();
    void noShellInBetween_data();
    void noShellInBetween();

    void boundsProcessesRunningAtOnce();
    void startsLinesInOrder();
    void linesQueuedAtTheEndStillRun();
    void aHungLineHoldsOnlyItsInterpreter();
    void linesPrintWhereTheOutputGoesNow();
    void anInterpreterDyingMidLineFailsThatLine();

private:
    QString folder() const { return m_folder->path(); }
    // A program of the program folder that sleeps for the seconds it is given.
    void installSleeper();
    // A script that marks that it runs, then writes into a pipe no one reads: it hangs until
    // releaseHungLines().
    QString hangingLine();
    bool hungLineRuns() const { return m_folder->exists(QStringLiteral("drives/c/marque.txt")); }
    // Reads the pipe until the shell is idle.
    bool releaseHungLines(ProcessShell &shell);

    std::unique_ptr<TempProgramFolder> m_folder;
};

void TestProcessShell::init()
{
    m_folder = std::make_unique<TempProgramFolder>();
    m_folder->installPrograms();
}

void TestProcessShell::installSleeper()
{
    const QString sleep = QFileInfo::exists(QStringLiteral("/usr/bin/sleep")) ? QStringLiteral("/usr/bin/sleep")
                                                                              : QStringLiteral("/bin/sleep");
    QVERIFY(QFile::link(sleep, folder() + QStringLiteral("/dormir")));
}

QString TestProcessShell::hangingLine()
{
    const QByteArray pipe = QFile::encodeName(m_folder->drive(QStringLiteral("C")) + QStringLiteral("/tuyau"));
    if (!QFileInfo::exists(QString::fromLocal8Bit(pipe)) && ::mkfifo(pipe.constData(), 0600) != 0)
        return {};
    m_folder->writeFile(QStringLiteral("bloque.bat"), "echo x >> C:\\marque.txt\r\necho x >> C:\\tuyau\r\n");
    return folder() + QStringLiteral("\\bloque.bat");
}

bool TestProcessShell::releaseHungLines(ProcessShell &shell)
{
    const QByteArray pipe = QFile::encodeName(m_folder->drive(QStringLiteral("C")) + QStringLiteral("/tuyau"));
    const int reader = ::open(pipe.constData(), O_RDONLY | O_NONBLOCK);
    if (reader < 0)
        return false;
    QElapsedTimer timer;
    timer.start();
    bool idle = false;
    while (!idle && timer.elapsed() < 60000) {
        char buffer[64];
        while (::read(reader, buffer, sizeof buffer) > 0) { }
        idle = shell.waitForIdle(20);
    }
    ::close(reader);
    return idle;
}

void TestProcessShell::resolvesLines_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("program");
    QTest::addColumn<QStringList>("arguments");

    // clang-format off
    QTest::newRow("cmd.exe runs the program folder's interpreter") << "cmd.exe /c net share TS8dupont$ /del /y" << "%P%/cmd" << QStringList {u"cmd"_s, u"/c"_s, u"net"_s, u"share"_s, u"TS8dupont$"_s, u"/del"_s, u"/y"_s};
    QTest::newRow("cmd.exe in capitals, spaces doubled") << "CMD.EXE  /c  md   E:\\Perso" << "%P%/cmd" << QStringList {u"cmd"_s, u"/c"_s, u"md"_s, u"E:\\Perso"_s};
    QTest::newRow("a batch script of the program folder") << "%P%\\perso.bat E:\\Perso\\eleves\\TS8\\TS8dupont TS8dupont" << "%P%/cmd" << QStringList {u"cmd"_s, u"%P%/perso.bat"_s, u"E:\\Perso\\eleves\\TS8\\TS8dupont"_s, u"TS8dupont"_s};
    QTest::newRow("a batch script named in another case") << "%P%\\PARTAGE.BAT public E:\\Public /unlimited" << "%P%/cmd" << QStringList {u"cmd"_s, u"%P%/partage.bat"_s, u"public"_s, u"E:\\Public"_s, u"/unlimited"_s};
    QTest::newRow("an empty argument is no argument") << "%P%\\matiere.bat F:\\Matieres\\ " << "%P%/cmd" << QStringList {u"cmd"_s, u"%P%/matiere.bat"_s, u"F:\\Matieres\\"_s};
    QTest::newRow("X.exe runs the program X") << "%P%\\cmd.EXE /c echo" << "%P%/cmd" << QStringList {u"cmd"_s, u"/c"_s, u"echo"_s};
    QTest::newRow("a program of the program folder by name") << "dormir.exe 1" << "%P%/dormir" << QStringList {u"dormir"_s, u"1"_s};
    // clang-format on
}

void TestProcessShell::resolvesLines()
{
    QFETCH(QString, line);
    QFETCH(QString, program);
    QFETCH(QStringList, arguments);
    installSleeper();

    ProcessShell shell(m_folder->paths());
    auto launch = shell.resolve(line.replace(QStringLiteral("%P%"), folder()));
    QVERIFY2(launch.ok(), qPrintable(launch.message()));
    QCOMPARE(launch->program, program.replace(QStringLiteral("%P%"), folder()));
    arguments.replaceInStrings(QStringLiteral("%P%"), folder());
    QCOMPARE(launch->arguments, arguments);
}

void TestProcessShell::refusesWhatCannotStart_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("message");
    QTest::newRow("trivo is missing") << "%P%\\trivo.exe"
                                      << "introuvable";
    QTest::newRow("a script is missing") << "%P%\\absent.bat x"
                                         << "introuvable";
    QTest::newRow("a file that is not a program") << "%P%\\lecteurs.exe"
                                                  << "exécutable";
    QTest::newRow("a folder is not a program") << "%P%\\drives.exe"
                                               << "exécutable";
    QTest::newRow("an empty line") << "   "
                                   << "vide";
}

void TestProcessShell::refusesWhatCannotStart()
{
    QFETCH(QString, line);
    QFETCH(QString, message);
    QFile::remove(folder() + QStringLiteral("/trivo"));
    m_folder->writeFile(QStringLiteral("lecteurs"), "pas un programme");

    ProcessShell shell(m_folder->paths());
    line.replace(QStringLiteral("%P%"), folder());
    QElapsedTimer timer;
    timer.start();
    const Status started = shell.start(line, WindowStyle::Normal);
    QVERIFY(!started.ok());
    QVERIFY2(started.message().contains(message), qPrintable(started.message()));
    QVERIFY(!shell.startAndWait(line, WindowStyle::Normal, Shell::kCommandWaitMs).ok());
    QVERIFY(timer.elapsed() < 5000);
    QVERIFY(shell.waitForIdle(1000));
}

void TestProcessShell::programFolderWithSpaces()
{
    // Installed in "Mes programmes": the unquoted script path still names the script.
    const QString spaced = folder() + QStringLiteral("/Mes programmes");
    QVERIFY(QDir().mkpath(spaced));
    for (const QString &name : {QStringLiteral("cmd"), QStringLiteral("perso.bat"), QStringLiteral("lecteurs.txt")})
        QVERIFY(QFile::copy(folder() + u'/' + name, spaced + u'/' + name));
    QFile::setPermissions(spaced + QStringLiteral("/cmd"), QFile::permissions(folder() + QStringLiteral("/cmd")));
    const PathResolver paths(spaced);
    ProcessShell shell(paths);

    auto launch = shell.resolve(spaced + QStringLiteral("\\perso.bat E:\\Perso\\eleves\\TS8\\TS8dupont TS8dupont"));
    QVERIFY2(launch.ok(), qPrintable(launch.message()));
    QCOMPARE(launch->program, spaced + QStringLiteral("/cmd"));
    QCOMPARE(launch->arguments,
        (QStringList {QStringLiteral("cmd"), spaced + QStringLiteral("/perso.bat"),
            QStringLiteral("E:\\Perso\\eleves\\TS8\\TS8dupont"), QStringLiteral("TS8dupont")}));
    QVERIFY(shell
                .startAndWait(spaced + QStringLiteral("\\perso.bat E:\\Perso\\TS8dupont TS8dupont"),
                    WindowStyle::Minimized, Shell::kCommandWaitMs)
                .ok());
    QVERIFY(QFileInfo(m_folder->drive(QStringLiteral("E")) + QStringLiteral("/Perso/TS8dupont")).isDir());
    QVERIFY(!shell.resolve(spaced + QStringLiteral("\\absent.bat x")).ok());
}

void TestProcessShell::startReturnsWhileTheProcessRuns()
{
    installSleeper();
    ProcessShell shell(m_folder->paths());
    QElapsedTimer timer;
    timer.start();
    QVERIFY(shell.start(folder() + QStringLiteral("\\dormir.exe 2"), WindowStyle::Normal).ok());
    QVERIFY(timer.elapsed() < 1000);
    QVERIFY(!shell.waitForIdle(200)); // still running
    QVERIFY(shell.waitForIdle(30000));
    QVERIFY(timer.elapsed() >= 1900);
}

void TestProcessShell::startAndWaitWaitsForTheEnd()
{
    installSleeper();
    ProcessShell shell(m_folder->paths());
    QElapsedTimer timer;
    timer.start();
    QVERIFY(
        shell.startAndWait(folder() + QStringLiteral("\\dormir.exe 1"), WindowStyle::Minimized, Shell::kCommandWaitMs)
            .ok());
    QVERIFY(timer.elapsed() >= 900);
    QVERIFY(shell.waitForIdle(0));

    // The folder removal is over when the call returns: the next line may rely on it.
    QVERIFY(QDir().mkpath(m_folder->drive(QStringLiteral("F")) + QStringLiteral("/messagerie/boite")));
    QVERIFY(shell
                .startAndWait(
                    QStringLiteral("cmd.exe /c rd /s/q f:\\messagerie"), WindowStyle::Minimized, Shell::kCommandWaitMs)
                .ok());
    QVERIFY(!QFileInfo::exists(m_folder->drive(QStringLiteral("F")) + QStringLiteral("/messagerie")));
}

void TestProcessShell::startAndWaitGivesUpAfterItsTimeout()
{
    installSleeper();
    ProcessShell shell(m_folder->paths());
    QElapsedTimer timer;
    timer.start();
    const Status waited = shell.startAndWait(folder() + QStringLiteral("\\dormir.exe 3"), WindowStyle::Normal, 300);
    QVERIFY(!waited.ok());
    QVERIFY(!waited.message().isEmpty());
    QVERIFY(timer.elapsed() < 2500);
    QVERIFY(shell.waitForIdle(30000)); // the process itself is left to end and is reaped
}

void TestProcessShell::noShellInBetween_data()
{
    QTest::addColumn<QString>("word");
    QTest::newRow("semicolon") << "x;touch${IFS}PWNED;";
    QTest::newRow("command substitution") << "$(touch${IFS}PWNED)";
    QTest::newRow("backquotes") << "`touch${IFS}PWNED`";
    QTest::newRow("pipe") << "x|touch${IFS}PWNED";
    QTest::newRow("and") << "x&&touch${IFS}PWNED&";
    QTest::newRow("redirection inside a word") << "x>PWNED";
    QTest::newRow("quotes and hash") << "'\"#;touch${IFS}PWNED";
}

void TestProcessShell::noShellInBetween()
{
    QFETCH(QString, word);
    ProcessShell shell(m_folder->paths());
    // The word reaches the interpreter whole, both as text and as a folder name.
    QVERIFY(shell
                .startAndWait(QStringLiteral("cmd.exe /c echo ") + word + QStringLiteral(" >> C:\\echo.txt"),
                    WindowStyle::Hidden, Shell::kCommandWaitMs)
                .ok());
    QVERIFY(shell.startAndWait(QStringLiteral("cmd.exe /c md C:\\") + word, WindowStyle::Hidden, Shell::kCommandWaitMs)
                .ok());
    QCOMPARE(m_folder->readFile(QStringLiteral("drives/c/echo.txt")), word.toLatin1() + "\r\n");
    QVERIFY(QFileInfo(m_folder->drive(QStringLiteral("C")) + u'/' + word).isDir());

    QVERIFY(!QFileInfo::exists(folder() + QStringLiteral("/PWNED")));
    QVERIFY(!QFileInfo::exists(m_folder->drive(QStringLiteral("C")) + QStringLiteral("/PWNED")));
    QVERIFY(!QFileInfo::exists(QDir::currentPath() + QStringLiteral("/PWNED")));
}

void TestProcessShell::boundsProcessesRunningAtOnce()
{
    const int count = 300;
    const int bound = 6;
    ProcessShell shell(m_folder->paths(), bound);
    QCOMPARE(shell.maxRunning(), bound);
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < count; ++i)
        QVERIFY(shell.start(QStringLiteral("cmd.exe /c md C:\\lot\\n%1").arg(i), WindowStyle::Minimized).ok());
    // Queuing never waits for the processes; this thread never returns to an event loop either.
    QVERIFY2(timer.elapsed() < 5000, qPrintable(QString::number(timer.elapsed())));
    QVERIFY(shell.waitForIdle(240000));
    QVERIFY(shell.peakRunning() <= bound);
    QVERIFY(shell.peakRunning() >= 2);
    QCOMPARE(QDir(m_folder->drive(QStringLiteral("C")) + QStringLiteral("/lot"))
                 .entryList(QDir::Dirs | QDir::NoDotAndDotDot)
                 .size(),
        count);
    // The interpreters still serve, but no child has ended unreaped: no zombie.
    int status = 0;
    QCOMPARE(::waitpid(-1, &status, WNOHANG), 0);
}

void TestProcessShell::startsLinesInOrder()
{
    ProcessShell shell(m_folder->paths(), 1);
    QByteArray expected;
    for (int i = 0; i < 40; ++i) {
        QVERIFY(shell.start(QStringLiteral("cmd.exe /c echo %1 >> C:\\ordre.txt").arg(i), WindowStyle::Hidden).ok());
        expected += QByteArray::number(i) + "\r\n";
    }
    QVERIFY(shell.waitForIdle(120000));
    QCOMPARE(shell.peakRunning(), 1);
    QCOMPARE(m_folder->readFile(QStringLiteral("drives/c/ordre.txt")), expected);
}

void TestProcessShell::linesQueuedAtTheEndStillRun()
{
    const int count = 40;
    {
        ProcessShell shell(m_folder->paths(), 2);
        for (int i = 0; i < count; ++i)
            QVERIFY(shell.start(QStringLiteral("cmd.exe /c md D:\\fin\\n%1").arg(i), WindowStyle::Minimized).ok());
    } // the program ends here, with most lines still queued
    const QString lot = m_folder->drive(QStringLiteral("D")) + QStringLiteral("/fin");
    QTRY_COMPARE_WITH_TIMEOUT(QDir(lot).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size(), count, 60000);
    // The last ones are reaped in the background: no zombie is left behind.
    QTRY_VERIFY_WITH_TIMEOUT(::waitpid(-1, nullptr, WNOHANG) == -1 && errno == ECHILD, 30000);
}

void TestProcessShell::aHungLineHoldsOnlyItsInterpreter()
{
    const QString hanging = hangingLine();
    QVERIFY(!hanging.isEmpty());
    ProcessShell shell(m_folder->paths(), 2);
    QVERIFY(shell.start(hanging, WindowStyle::Minimized).ok());
    QTRY_VERIFY_WITH_TIMEOUT(hungLineRuns(), 30000);

    // The other interpreter takes the next lines, and each wait ends with its own line.
    QVERIFY(shell.startAndWait(QStringLiteral("cmd.exe /c md C:\\libre"), WindowStyle::Minimized, 30000).ok());
    QVERIFY(QFileInfo(m_folder->drive(QStringLiteral("C")) + QStringLiteral("/libre")).isDir());
    const Status waited = shell.startAndWait(hanging, WindowStyle::Minimized, 300);
    QVERIFY(!waited.ok());
    QVERIFY2(waited.message().contains(QStringLiteral("bloque.bat")), qPrintable(waited.message()));
    QVERIFY(!shell.waitForIdle(0));

    QVERIFY(releaseHungLines(shell));
    QCOMPARE(shell.peakRunning(), 2);
}

void TestProcessShell::linesPrintWhereTheOutputGoesNow()
{
    ProcessShell shell(m_folder->paths(), 1);
    QVERIFY(shell.startAndWait(QStringLiteral("cmd.exe /c echo avant"), WindowStyle::Hidden, 30000).ok());

    // The program sends its output elsewhere: the interpreter that served the first line must not
    // keep writing where it went.
    const QString log = m_folder->path() + QStringLiteral("/sortie.txt");
    const int file = ::open(QFile::encodeName(log).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    QVERIFY(file >= 0);
    std::fflush(stdout);
    const int saved = ::dup(STDOUT_FILENO);
    QVERIFY(::dup2(file, STDOUT_FILENO) >= 0);
    const Status printed = shell.startAndWait(QStringLiteral("cmd.exe /c echo ailleurs"), WindowStyle::Hidden, 30000);
    ::dup2(saved, STDOUT_FILENO);
    ::close(saved);
    ::close(file);
    QVERIFY(printed.ok());
    QCOMPARE(m_folder->readFile(QStringLiteral("sortie.txt")), QByteArray("ailleurs\n"));
}

void TestProcessShell::anInterpreterDyingMidLineFailsThatLine()
{
    const QString hanging = hangingLine();
    QVERIFY(!hanging.isEmpty());
    ProcessShell shell(m_folder->paths(), 1);
    std::optional<Status> waited;
    std::thread waiter([&] { waited = shell.startAndWait(hanging, WindowStyle::Minimized, Shell::kCommandWaitMs); });
    QTRY_VERIFY_WITH_TIMEOUT(hungLineRuns(), 30000);

    // The one interpreter of this shell runs the line; those of the tests before end on their own.
    const auto children = [] {
        QList<int> found;
        const QString self = QString::number(::getpid());
        for (const QString &entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
            QFile stat(QStringLiteral("/proc/%1/stat").arg(entry));
            if (!stat.open(QIODevice::ReadOnly))
                continue;
            const QString fields = QString::fromLocal8Bit(stat.readAll());
            const QStringList afterName = fields.mid(fields.lastIndexOf(u')') + 2).split(u' ');
            if (afterName.size() > 1 && afterName[0] != QStringLiteral("Z") && afterName[1] == self)
                found.append(entry.toInt());
        }
        return found;
    };
    QTRY_COMPARE_WITH_TIMEOUT(children().size(), 1, 30000);
    const int server = children().first();
    QCOMPARE(::kill(server, SIGKILL), 0);
    waiter.join();

    QVERIFY(waited.has_value() && !waited->ok());
    QVERIFY2(waited->message().contains(QStringLiteral("s'est arrêté avant la fin")), qPrintable(waited->message()));
    QVERIFY(waited->message().contains(QStringLiteral("bloque.bat")));
    // Reaped, and replaced for the next lines.
    QTRY_VERIFY_WITH_TIMEOUT(::kill(server, 0) != 0 && errno == ESRCH, 30000);
    QVERIFY(shell.startAndWait(QStringLiteral("cmd.exe /c md C:\\ensuite"), WindowStyle::Minimized, 30000).ok());
    QVERIFY(QFileInfo(m_folder->drive(QStringLiteral("C")) + QStringLiteral("/ensuite")).isDir());
}

QTEST_GUILESS_MAIN(TestProcessShell)
#include "tst_processshell.moc"
