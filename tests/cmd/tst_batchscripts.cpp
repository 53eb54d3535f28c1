// The batch scripts of the program folder, as Velmar starts them: through the process shell, with
// the interpreter "cmd" of a program folder of their own.
#include "cmd/filesharestore.h"
#include "interpreterrun.h"
#include "shell/processshell.h"
#include "support/tempprogramfolder.h"

#include <QDir>
#include <QFileInfo>
#include <QTest>

#include <memory>

class TestBatchScripts : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();

    void argumentsReachTheScript_data();
    void argumentsReachTheScript();
    void everyLineRunsAndTheLastDecides();
    void scriptCallsAreBounded_data();
    void scriptCallsAreBounded();
    void eachServedLineStartsAfresh();
    void aServedLineSeesTheShareListAsItIsNow();

    void shippedScripts_data();
    void shippedScripts();
    void mailRestartSaysWhatToDo();
    void sharesStartedTogetherAreAllKept();

private:
    QMap<QString, QString> shares() const;

    std::unique_ptr<TempProgramFolder> m_folder;
};

void TestBatchScripts::init()
{
    m_folder = std::make_unique<TempProgramFolder>();
    m_folder->installPrograms();
    m_folder->writeFile(QStringLiteral("args.bat"),
        "@ECHO OFF\r\n"
        "rem un commentaire >> C:\\rem.txt\r\n"
        ":: un autre >> C:\\rem.txt\r\n"
        ":etiquette\r\n"
        "\r\n"
        "   echo [%1] [%2] [%3] >> C:\\args.txt\r\n"
        "@echo 100%% %* >> C:\\args.txt\r\n"
        "echo %0 >> C:\\script.txt\n"); // a lone LF ends a line too
}

QMap<QString, QString> TestBatchScripts::shares() const
{
    QMap<QString, QString> byName;
    auto listed = FileShareStore(m_folder->path()).list();
    if (listed) {
        for (const Share &share : std::as_const(*listed))
            byName.insert(share.name, share.hostPath);
    }
    return byName;
}

void TestBatchScripts::argumentsReachTheScript_data()
{
    QTest::addColumn<QString>("arguments");
    QTest::addColumn<QByteArray>("expected");
    QTest::addColumn<QByteArray>("zero");
    QTest::newRow("two arguments") << "args.bat un deux" << QByteArray("[un] [deux] []\r\n100% un deux\r\n")
                                   << QByteArray("args.bat");
    QTest::newRow("script named in another case")
        << "ARGS.BAT un" << QByteArray("[un] [] []\r\n100% un\r\n") << QByteArray("ARGS.BAT");
    QTest::newRow("script started by /c")
        << "/c args.bat a;b $(c) d" << QByteArray("[a;b] [$(c)] [d]\r\n100% a;b $(c) d\r\n") << QByteArray("args.bat");
    QTest::newRow("no argument") << "args.bat" << QByteArray("[] [] []\r\n100%\r\n") << QByteArray("args.bat");
}

void TestBatchScripts::argumentsReachTheScript()
{
    QFETCH(QString, arguments);
    QFETCH(QByteArray, expected);
    QCOMPARE(InterpreterRun::of(*m_folder, arguments).code, 0);
    QCOMPARE(m_folder->readFile(QStringLiteral("drives/c/args.txt")), expected);
    QVERIFY(!m_folder->exists(QStringLiteral("drives/c/rem.txt")));
    QFETCH(QByteArray, zero);
    QCOMPARE(m_folder->readFile(QStringLiteral("drives/c/script.txt")), zero + "\r\n");
}

void TestBatchScripts::everyLineRunsAndTheLastDecides()
{
    m_folder->writeFile(QStringLiteral("suite.bat"), "md %1\r\nmd %1\r\nmd %1\\sous\r\n");
    // The second md fails; the third still runs and the script ends well.
    QCOMPARE(InterpreterRun::of(*m_folder, QStringLiteral("suite.bat E:\\dossier")).code, 0);
    QVERIFY(QFileInfo(m_folder->drive(QStringLiteral("E")) + QStringLiteral("/dossier/sous")).isDir());
    QCOMPARE(InterpreterRun::of(*m_folder, QStringLiteral("suite.bat E:\\dossier")).code, 1);
    QCOMPARE(InterpreterRun::of(*m_folder, QStringLiteral("absent.bat")).code, 1);
}

void TestBatchScripts::scriptCallsAreBounded_data()
{
    QTest::addColumn<QByteArray>("script");
    // Each run of the script counts itself, then calls itself again: the depth is bounded, and so
    // must be the number of calls, which grows as the number of calling lines to the depth.
    QTest::newRow("two calls a run") << QByteArray("echo x >> C:\\appels.txt\r\nboucle.bat\r\nboucle.bat\r\n");
    QTest::newRow("three calls a run") << QByteArray(
        "echo x >> C:\\appels.txt\r\nboucle.bat\r\nboucle.bat\r\nBOUCLE.BAT\r\n");
}

void TestBatchScripts::scriptCallsAreBounded()
{
    QFETCH(QByteArray, script);
    m_folder->writeFile(QStringLiteral("boucle.bat"), script);
    const InterpreterRun run = InterpreterRun::of(*m_folder, QStringLiteral("boucle.bat"));
    QCOMPARE(run.code, 1);
    QVERIFY(run.err.contains(QStringLiteral("Trop de scripts imbriqués")));
    const qsizetype calls = m_folder->readFile(QStringLiteral("drives/c/appels.txt")).count('\n');
    QVERIFY2(calls > 1000 && calls <= 10000, qPrintable(QString::number(calls)));
}

void TestBatchScripts::eachServedLineStartsAfresh()
{
    // One interpreter serves both lines: the second is bounded on its own, not cut off by the first.
    m_folder->writeFile(QStringLiteral("boucle.bat"), "echo x >> C:\\appels.txt\r\nboucle.bat\r\nboucle.bat\r\n");
    ProcessShell shell(m_folder->paths(), 1);
    const QString line = m_folder->path() + QStringLiteral("\\boucle.bat");
    QVERIFY(shell.startAndWait(line, WindowStyle::Minimized, 120000).ok());
    const qsizetype first = m_folder->readFile(QStringLiteral("drives/c/appels.txt")).count('\n');
    QVERIFY2(first > 1000, qPrintable(QString::number(first)));
    QVERIFY(shell.startAndWait(line, WindowStyle::Minimized, 120000).ok());
    QCOMPARE(m_folder->readFile(QStringLiteral("drives/c/appels.txt")).count('\n'), 2 * first);
    QCOMPARE(shell.peakRunning(), 1);
}

void TestBatchScripts::aServedLineSeesTheShareListAsItIsNow()
{
    // One interpreter serves every line, and the list is rewritten by someone else in between.
    ProcessShell shell(m_folder->paths(), 1);
    const auto perso = [&](const QString &login) {
        return shell.startAndWait(
            m_folder->path() + QStringLiteral("\\perso.bat E:\\Perso\\eleves\\TS8\\") + login + u' ' + login,
            WindowStyle::Minimized, 60000);
    };
    QVERIFY(perso(QStringLiteral("TS8a")).ok());
    QCOMPARE(shares().keys(), QStringList {QStringLiteral("TS8a$")});
    m_folder->writeFile(QStringLiteral("partages.txt"), "\"TS8b$\",\"E:\\Ailleurs\",\"/ailleurs\",\"\"\r\n");
    QVERIFY(perso(QStringLiteral("TS8b")).ok());
    QVERIFY(perso(QStringLiteral("TS8a")).ok());
    const QMap<QString, QString> made = shares();
    QCOMPARE(made.keys(), (QStringList {QStringLiteral("TS8a$"), QStringLiteral("TS8b$")}));
    QCOMPARE(made.value(QStringLiteral("TS8b$")), QStringLiteral("/ailleurs"));
    QCOMPARE(shell.peakRunning(), 1);
}

void TestBatchScripts::shippedScripts_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("share");

    QTest::newRow("perso.bat shares the pupil's folder as login$")
        << "\\perso.bat E:\\Perso\\eleves\\TS8\\TS8dupontjean TS8dupontjean"
        << "e/Perso/eleves/TS8/TS8dupontjean"
        << "TS8dupontjean$";
    QTest::newRow("perso.bat on an existing folder in another case")
        << "\\perso.bat e:\\perso\\ELEVES\\ts8\\TS8martin TS8martin"
        << "e/Perso/eleves/TS8/TS8martin"
        << "TS8martin$";
    QTest::newRow("prof.bat shares the teacher's folder as login$")
        << "\\prof.bat E:\\Perso\\profs\\durandmarie durandmarie"
        << "e/Perso/profs/durandmarie"
        << "durandmarie$";
    QTest::newRow("public.bat shares the class folder as the class") << "\\public.bat E:\\Public\\1S2 1S2"
                                                                     << "e/Public/1S2"
                                                                     << "1S2";
    QTest::newRow("matiere.bat only makes the folder") << "\\matiere.bat F:\\Matieres\\Maths Maths"
                                                       << "f/Matieres/Maths"
                                                       << "";
    QTest::newRow("partage.bat shares an existing folder") << "\\partage.bat public E:\\Public /unlimited"
                                                           << "e/Public"
                                                           << "public";
}

void TestBatchScripts::shippedScripts()
{
    QFETCH(QString, line);
    QFETCH(QString, folder);
    QFETCH(QString, share);

    QVERIFY(QDir().mkpath(m_folder->path() + QStringLiteral("/drives/e/Public")));
    QVERIFY(QDir().mkpath(m_folder->path() + QStringLiteral("/drives/e/Perso/eleves/TS8/TS8martin")));
    ProcessShell shell(m_folder->paths());
    const Status ran = shell.startAndWait(m_folder->path() + line, WindowStyle::Minimized, 60000);
    QVERIFY2(ran.ok(), qPrintable(ran.message()));

    const QString host = m_folder->path() + QStringLiteral("/drives/") + folder;
    QVERIFY2(QFileInfo(host).isDir(), qPrintable(host));
    const QMap<QString, QString> made = shares();
    if (share.isEmpty()) {
        QVERIFY(made.isEmpty());
    } else {
        QCOMPARE(made.keys(), QStringList {share});
        QCOMPARE(made.value(share), host);
    }
}

void TestBatchScripts::mailRestartSaysWhatToDo()
{
    ProcessShell shell(m_folder->paths());
    QVERIFY(shell.startAndWait(m_folder->path() + QStringLiteral("\\IMSrestart.bat"), WindowStyle::Normal, 60000).ok());
    const InterpreterRun run = InterpreterRun::of(*m_folder, QStringLiteral("IMSrestart.bat"));
    QCOMPARE(run.code, 0);
    QVERIFY(run.out.contains(QStringLiteral("Aucun serveur de messagerie n'est configuré sur cette machine")));
    QVERIFY(run.out.contains(QStringLiteral("IMSrestart.bat")));
}

void TestBatchScripts::sharesStartedTogetherAreAllKept()
{
    // Scripts started in a row run at once and all write the share list: none may be lost.
    const int count = 200;
    ProcessShell shell(m_folder->paths());
    for (int i = 0; i < count; ++i) {
        const QString login = QStringLiteral("TS8eleve%1").arg(i);
        QVERIFY(
            shell
                .start(m_folder->path() + QStringLiteral("\\perso.bat E:\\Perso\\eleves\\TS8\\") + login + u' ' + login,
                    WindowStyle::Minimized)
                .ok());
    }
    QVERIFY(shell.waitForIdle(240000));
    QVERIFY(shell.peakRunning() > 1);
    const QMap<QString, QString> made = shares();
    QCOMPARE(made.size(), count);
    for (int i = 0; i < count; ++i)
        QVERIFY(made.contains(QStringLiteral("TS8eleve%1$").arg(i)));
}

QTEST_GUILESS_MAIN(TestBatchScripts)
#include "tst_batchscripts.moc"
