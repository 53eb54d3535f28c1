// The program folder's interpreter "cmd", run as Velmar runs it, on a program folder of its own whose
// drives C: to H: lie inside it.
#include "cmd/filesharestore.h"
#include "cmd/pathguard.h"
#include "interpreterrun.h"
#include "shell/servinginterpreter.h"
#include "support/tempprogramfolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

class TestInterpreter : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();

    void fileCommands_data();
    void fileCommands();
    void safetyNet_data();
    void safetyNet();
    void guardRefusesSystemRootAndProgramFolderParents();
    void handOverOnlyInsideADrive_data();
    void handOverOnlyInsideADrive();
    void guardsHoldOutsideTheFolder_data();
    void guardsHoldOutsideTheFolder();
    void linksAsLastComponentGoAlone();

    void shares_data();
    void shares();
    void shareListAndFile();
    void nameTakenInTheList_data();
    void nameTakenInTheList();

    void diskUsageReport();
    void diskUsageTotalIsTheWholeFolder();
    void diskUsageFailures_data();
    void diskUsageFailures();

    void redirection();
    void unknownCommandAndUsage();

    void servedLinesRunAsTheirOwnProcess();
    void servingModeRefusesWhatIsNoLine_data();
    void servingModeRefusesWhatIsNoLine();

private:
    // Lays out files and folders of the program folder: a name ending in "/" is a folder.
    void lay(const QStringList &entries);
    // A drive E: outside the program folder, links that lead out of it, and an unmapped drive F:.
    void layOutside();
    QString withPlaces(QString text) const
    {
        return withFolder(text).replace(QStringLiteral("%O%"), m_outside->path());
    }
    InterpreterRun run(const QString &arguments) { return InterpreterRun::of(*m_folder, arguments); }
    QString withFolder(QString text) const { return text.replace(QStringLiteral("%P%"), m_folder->path()); }

    std::unique_ptr<TempProgramFolder> m_folder;
    std::unique_ptr<QTemporaryDir> m_outside;
};

void TestInterpreter::init()
{
    m_folder = std::make_unique<TempProgramFolder>();
    QVERIFY(m_folder->isValid());
    m_folder->installPrograms();
    QVERIFY(QFileInfo(m_folder->path() + QStringLiteral("/cmd")).isExecutable());
}

void TestInterpreter::lay(const QStringList &entries)
{
    for (const QString &entry : entries) {
        if (entry.endsWith(u'/'))
            QVERIFY(QDir().mkpath(m_folder->path() + u'/' + entry));
        else
            m_folder->writeFile(entry, "x");
    }
}

void TestInterpreter::fileCommands_data()
{
    QTest::addColumn<QStringList>("setup");
    QTest::addColumn<QString>("command");
    QTest::addColumn<int>("code");
    QTest::addColumn<QStringList>("present");
    QTest::addColumn<QStringList>("absent");

    const QStringList none;
    // clang-format off
    QTest::newRow("md makes missing parents") << none << "/c md E:\\Perso\\eleves\\TS8" << 0 << QStringList {u"drives/e/Perso/eleves/TS8"_s} << none;
    QTest::newRow("md of an existing folder fails") << QStringList {u"drives/e/Perso/"_s} << "/c md E:\\Perso" << 1 << QStringList {u"drives/e/Perso"_s} << none;
    QTest::newRow("md sees an existing folder in any case") << QStringList {u"drives/e/Perso/"_s} << "/c MD e:\\PERSO" << 1 << none << QStringList {u"drives/e/PERSO"_s};
    QTest::newRow("md goes into an existing folder in any case") << QStringList {u"drives/e/Perso/"_s} << "/c md e:\\perso\\profs" << 0 << QStringList {u"drives/e/Perso/profs"_s} << QStringList {u"drives/e/perso"_s};
    QTest::newRow("md of two words makes two folders") << none << "/c md E:\\Arts E:\\plastiques" << 0 << QStringList {u"drives/e/Arts"_s, u"drives/e/plastiques"_s} << none;
    QTest::newRow("rd removes an empty folder") << QStringList {u"drives/e/vide/"_s} << "/c rd E:\\VIDE" << 0 << none << QStringList {u"drives/e/vide"_s};
    QTest::newRow("rd keeps a folder that is not empty") << QStringList {u"drives/e/plein/a.txt"_s} << "/c rd E:\\plein" << 1 << QStringList {u"drives/e/plein/a.txt"_s} << none;
    QTest::newRow("rd /s/q removes the whole tree") << QStringList {u"drives/e/Perso/eleves/TS8/dupont/a.txt"_s, u"drives/e/Perso/eleves/1S2/"_s, u"drives/e/Perso/profs/"_s} << "/c rd /s/q e:\\perso\\ELEVES" << 0 << QStringList {u"drives/e/Perso/profs"_s} << QStringList {u"drives/e/Perso/eleves"_s};
    QTest::newRow("rd takes its switches after the path") << QStringList {u"drives/f/messagerie/boite/m.eml"_s} << "/c rd f:\\messagerie /S /Q" << 0 << QStringList {u"drives/f"_s} << QStringList {u"drives/f/messagerie"_s};
    QTest::newRow("rd /s without /q asks and hears no") << QStringList {u"drives/e/Public/TS8/a.txt"_s} << "/c rd /s E:\\Public" << 0 << QStringList {u"drives/e/Public/TS8/a.txt"_s} << none;
    QTest::newRow("rd of a missing folder fails") << none << "/c rd /s/q f:\\messagerie" << 1 << none << QStringList {u"drives/f/messagerie"_s};
    QTest::newRow("rd of a file fails") << QStringList {u"drives/c/a.txt"_s} << "/c rd /s/q C:\\a.txt" << 1 << QStringList {u"drives/c/a.txt"_s} << none;
    QTest::newRow("del removes one file in any case") << QStringList {u"drives/c/orvo.txt"_s, u"drives/c/autre.txt"_s} << "/c del c:\\ORVO.TXT" << 0 << QStringList {u"drives/c/autre.txt"_s} << QStringList {u"drives/c/orvo.txt"_s};
    QTest::newRow("del takes /q after the path") << QStringList {u"profsliste.txt"_s} << "/c del %P%\\profsliste.txt /q" << 0 << none << QStringList {u"profsliste.txt"_s};
    QTest::newRow("del of a missing file fails") << none << "/c del c:\\absent.txt" << 1 << none << none;
    QTest::newRow("del /s/q empties a tree and keeps its folders") << QStringList {u"drives/f/listes/a.txt"_s, u"drives/f/listes/.cache"_s, u"drives/f/listes/TS8/b.txt"_s, u"drives/f/listes/TS8/vide/"_s} << "/c del /s/q F:\\Listes" << 0 << QStringList {u"drives/f/listes/TS8/vide"_s} << QStringList {u"drives/f/listes/a.txt"_s, u"drives/f/listes/.cache"_s, u"drives/f/listes/TS8/b.txt"_s};
    QTest::newRow("del of a folder without /q asks and hears no") << QStringList {u"drives/f/listes/a.txt"_s} << "/c del F:\\listes" << 0 << QStringList {u"drives/f/listes/a.txt"_s} << none;
    QTest::newRow("del of a folder without /s leaves its subfolders") << QStringList {u"drives/f/listes/a.txt"_s, u"drives/f/listes/TS8/b.txt"_s} << "/c del /q F:\\listes" << 0 << QStringList {u"drives/f/listes/TS8/b.txt"_s} << QStringList {u"drives/f/listes/a.txt"_s};
    QTest::newRow("del with a wildcard") << QStringList {u"drives/c/TS8.txt"_s, u"drives/c/1S2.TXT"_s, u"drives/c/garde.csv"_s} << "/c del /q C:\\*.txt" << 0 << QStringList {u"drives/c/garde.csv"_s} << QStringList {u"drives/c/TS8.txt"_s, u"drives/c/1S2.TXT"_s};
    QTest::newRow("ren renames a file") << QStringList {u"temporvotrv.txt"_s} << "/c ren %P%\\TEMPORVOTRV.txt profsliste.txt" << 0 << QStringList {u"profsliste.txt"_s} << QStringList {u"temporvotrv.txt"_s};
    QTest::newRow("ren never replaces a name taken in another case") << QStringList {u"drives/c/a.txt"_s, u"drives/c/B.txt"_s} << "/c ren C:\\a.txt b.txt" << 1 << QStringList {u"drives/c/a.txt"_s, u"drives/c/B.txt"_s} << QStringList {u"drives/c/b.txt"_s};
    QTest::newRow("ren may change the case only") << QStringList {u"drives/c/a.txt"_s} << "/c ren C:\\a.txt A.txt" << 0 << QStringList {u"drives/c/A.txt"_s} << QStringList {u"drives/c/a.txt"_s};
    QTest::newRow("ren refuses a path as the new name") << QStringList {u"drives/c/a.txt"_s} << "/c ren C:\\a.txt D:\\b.txt" << 1 << QStringList {u"drives/c/a.txt"_s} << QStringList {u"drives/d/b.txt"_s};
    QTest::newRow("ren of a missing file fails") << none << "/c ren C:\\absent.txt b.txt" << 1 << none << QStringList {u"drives/c/b.txt"_s};
    // clang-format on
}

void TestInterpreter::fileCommands()
{
    QFETCH(QStringList, setup);
    QFETCH(QString, command);
    QFETCH(int, code);
    QFETCH(QStringList, present);
    QFETCH(QStringList, absent);

    lay(setup);
    const InterpreterRun result = run(withFolder(command));
    QCOMPARE(result.code, code);
    if (code != 0)
        QVERIFY2(!result.err.isEmpty(), "a failure says why");
    const QStringList entries = QDir(m_folder->path()).entryList();
    for (const QString &entry : present)
        QVERIFY2(QFileInfo::exists(m_folder->path() + u'/' + entry), qPrintable(entry));
    for (const QString &entry : absent) {
        // Exact case: "a.txt" gone does not mean "A.txt" gone.
        const QFileInfo info(m_folder->path() + u'/' + entry);
        QVERIFY2(!QDir(info.path()).entryList().contains(info.fileName()), qPrintable(entry));
    }
}

void TestInterpreter::safetyNet_data()
{
    QTest::addColumn<QString>("command");
    QTest::newRow("rd of a drive letter") << "/c rd /s/q E:";
    QTest::newRow("rd of a drive root") << "/c rd /s/q E:\\";
    QTest::newRow("rd climbing to a drive root") << "/c rd /s/q e:\\Perso\\..";
    QTest::newRow("rd of the program folder") << "/c rd /s/q %P%";
    QTest::newRow("rd of the program folder by a Windows path") << "/c rd /s/q %P%\\drives\\..";
    QTest::newRow("rd of the current folder") << "/c rd /s/q .";
    QTest::newRow("rd naming nothing") << "/c rd /s/q";
    QTest::newRow("del of a drive root") << "/c del /s/q E:\\";
    QTest::newRow("del climbing to a drive root") << "/c del /s/q E:\\Perso\\..";
    QTest::newRow("del naming nothing") << "/c del /s/q";
    QTest::newRow("del of the program folder") << "/c del /s/q %P%";
    QTest::newRow("del of the program folder without /s") << "/c del /q %P%";
    QTest::newRow("del of program folder files by wildcard") << "/c del /q %P%\\*.*";
    QTest::newRow("del of the current folder") << "/c del /s/q .";
}

void TestInterpreter::safetyNet()
{
    QFETCH(QString, command);
    const QStringList sentinels {
        u"drives/e/Perso/a.txt"_s, u"drives/e/b.txt"_s, u"drives/c/c.txt"_s, u"parametres.txt"_s};
    lay(sentinels);
    const InterpreterRun result = run(withFolder(command));
    QCOMPARE(result.code, 1);
    QVERIFY(!result.err.isEmpty());
    for (const QString &entry : sentinels + QStringList {u"cmd"_s, u"lecteurs.txt"_s, u"perso.bat"_s})
        QVERIFY2(m_folder->exists(entry), qPrintable(entry));
}

void TestInterpreter::guardRefusesSystemRootAndProgramFolderParents()
{
    // Checked on the guard alone: these deletions must never be tried for real.
    const PathGuard guard(m_folder->paths());
    const QString parent = QFileInfo(m_folder->path()).path();
    const QString e = m_folder->drive(QStringLiteral("E"));
    using Act = PathGuard::Act;
    QVERIFY(!guard.allows(Act::Remove, QStringLiteral("/"), QStringLiteral("/")));
    QVERIFY(!guard.allows(Act::EmptyFolder, QStringLiteral("/tmp/.."), QStringLiteral("/")));
    QVERIFY(!guard.allows(Act::EmptyTree, parent, parent));
    QVERIFY(!guard.allows(Act::Rename, parent, parent));
    QVERIFY(!guard.allows(Act::Remove, QStringLiteral(" "), e + QStringLiteral("/Perso")));
    QVERIFY(guard.allows(Act::Remove, QStringLiteral("E:\\Perso"), e + QStringLiteral("/Perso")));
    QVERIFY(!guard.allows(Act::EmptyTree, QStringLiteral("E:\\"), e));
    QVERIFY(guard.allows(Act::EmptyFolder, QStringLiteral("E:\\"), e));
}

void TestInterpreter::handOverOnlyInsideADrive_data()
{
    QTest::addColumn<QString>("folder"); // host path; %P% the program folder, %O% a folder outside it
    QTest::addColumn<bool>("given");

    QTest::newRow("a personal folder") << "%P%/drives/e/Perso/eleves/TS8/TS8dupont" << true;
    QTest::newRow("a folder of an unlisted drive") << "%P%/lecteurs/k/Perso/alice" << true;
    QTest::newRow("a folder of a drive outside") << "%O%/srv/e/Perso/u" << true;
    QTest::newRow("a drive's folder") << "%P%/drives/e" << false;
    QTest::newRow("a drive outside") << "%O%/srv/e" << false;
    QTest::newRow("above a drive") << "%O%/srv" << false;
    QTest::newRow("the drives' folder") << "%P%/lecteurs" << false;
    QTest::newRow("the program folder") << "%P%" << false;
    QTest::newRow("above the program folder") << "%P%/.." << false;
    QTest::newRow("the system's root") << "/" << false;
    QTest::newRow("in the program folder, in no drive") << "%P%/scripts" << false;
    QTest::newRow("a link out of its drive") << "%O%/srv/e/Perso/u/link" << false;
    QTest::newRow("through a link out of its drive") << "%O%/srv/e/Perso/u/link/sub" << false;
    QTest::newRow("a link to another place in a drive") << "%O%/srv/e/Perso/u/inner" << true;
    QTest::newRow("a link to the program folder") << "%O%/srv/e/Perso/u/pf" << false;
}

void TestInterpreter::handOverOnlyInsideADrive()
{
    QFETCH(QString, folder);
    QFETCH(bool, given);
    layOutside();
    QVERIFY(QFile::link(m_folder->path(), m_outside->path() + QStringLiteral("/srv/e/Perso/u/pf")));
    QVERIFY(QDir().mkpath(m_folder->path() + QStringLiteral("/drives/e/Perso/eleves/TS8/TS8dupont")));
    m_folder->writeFile(
        QStringLiteral("lecteurs.txt"), "E:," + m_outside->path().toUtf8() + "/srv/e\r\nD:,drives/e\r\n");
    m_folder->reloadPaths();
    QCOMPARE(PathGuard(m_folder->paths()).mayGiveToAccount(withPlaces(folder)), given);
}

void TestInterpreter::layOutside()
{
    m_outside = std::make_unique<QTemporaryDir>();
    QVERIFY(m_outside->isValid());
    const QString o = m_outside->path();
    for (const char *folder : {"srv/e/Perso/u", "srv/e/Public", "ailleurs/sub"})
        QVERIFY(QDir().mkpath(o + u'/' + QLatin1String(folder)));
    for (const char *file :
        {"srv/e/Perso/u/a.txt", "srv/e/Public/p.txt", "ailleurs/secret.txt", "ailleurs/sub/s.txt"}) {
        QFile made(o + u'/' + QLatin1String(file));
        QVERIFY(made.open(QIODevice::WriteOnly));
    }
    QVERIFY(QFile::link(o + QStringLiteral("/ailleurs"), o + QStringLiteral("/srv/e/Perso/u/link")));
    QVERIFY(QFile::link(o + QStringLiteral("/srv/e/Public"), o + QStringLiteral("/srv/e/Perso/u/inner")));
    QVERIFY(QFile::link(o + QStringLiteral("/ailleurs"), m_folder->path() + QStringLiteral("/pflink")));
    // E: lies outside the program folder, C: inside it, F: is not listed and lies in "lecteurs/f".
    m_folder->writeFile(QStringLiteral("lecteurs.txt"), "E:," + o.toUtf8() + "/srv/e\r\nC:,drives/c\r\n");
    m_folder->writeFile(QStringLiteral("lecteurs/f/f.txt"), "f");
    m_folder->writeSettings();
}

void TestInterpreter::guardsHoldOutsideTheFolder_data()
{
    QTest::addColumn<QStringList>("words");
    QTest::addColumn<QString>("said"); // part of the refusal

    const QString program = u"contient le dossier du programme"_s;
    const QString drive = u"est la racine d'un lecteur ou la contient"_s;
    const QString link = u"passe par un lien qui sort"_s;
    const QString nothing = u"aucun chemin n'est donné"_s;
    // clang-format off
    QTest::newRow("ren of the program folder") << QStringList {u"/c"_s, u"ren"_s, u"."_s, u"autre"_s} << program;
    QTest::newRow("ren of nothing") << QStringList {u"/c"_s, u"ren"_s, u""_s, u"pf2"_s} << nothing;
    QTest::newRow("ren climbing to the program folder") << QStringList {u"/c"_s, u"ren"_s, u"x\\.."_s, u"pf"_s} << program;
    QTest::newRow("ren of a drive letter") << QStringList {u"/c"_s, u"ren"_s, u"E:"_s, u"zz"_s} << drive;
    QTest::newRow("ren of a drive root outside") << QStringList {u"/c"_s, u"ren"_s, u"E:\\"_s, u"gone"_s} << drive;
    QTest::newRow("ren of an unmapped drive's folder") << QStringList {u"/c"_s, u"ren"_s, u"lecteurs\\f"_s, u"zz"_s} << drive;
    QTest::newRow("ren of the drives' folder") << QStringList {u"/c"_s, u"ren"_s, u"lecteurs"_s, u"zz"_s} << drive;
    QTest::newRow("ren through a link") << QStringList {u"/c"_s, u"ren"_s, u"E:\\Perso\\u\\link\\secret.txt"_s, u"b.txt"_s} << link;
    QTest::newRow("ren to nothing") << QStringList {u"/c"_s, u"ren"_s, u"E:\\Perso\\u\\a.txt"_s, u""_s} << "nouveau nom est vide";
    QTest::newRow("rd of an unmapped drive's folder") << QStringList {u"/c"_s, u"rd"_s, u"/s"_s, u"/q"_s, u"lecteurs\\f"_s} << drive;
    QTest::newRow("rd of it in capitals") << QStringList {u"/c"_s, u"rd"_s, u"/s"_s, u"/q"_s, u"LECTEURS\\F\\"_s} << drive;
    QTest::newRow("rd of it by its host path") << QStringList {u"/c"_s, u"rd"_s, u"/s"_s, u"/q"_s, u"%P%/lecteurs/f"_s} << drive;
    QTest::newRow("rd of the drives' folder") << QStringList {u"/c"_s, u"rd"_s, u"/s"_s, u"/q"_s, u"lecteurs"_s} << drive;
    QTest::newRow("del of the drives' folder") << QStringList {u"/c"_s, u"del"_s, u"/s"_s, u"/q"_s, u"lecteurs"_s} << drive;
    QTest::newRow("rd of a mapped drive by its host path") << QStringList {u"/c"_s, u"rd"_s, u"/s"_s, u"/q"_s, u"%O%/srv/e"_s} << drive;
    QTest::newRow("rd above a mapped drive") << QStringList {u"/c"_s, u"rd"_s, u"/s"_s, u"/q"_s, u"%O%/srv"_s} << drive;
    QTest::newRow("del above a mapped drive") << QStringList {u"/c"_s, u"del"_s, u"/s"_s, u"/q"_s, u"%O%/srv"_s} << drive;
    QTest::newRow("del above a mapped drive without /s") << QStringList {u"/c"_s, u"del"_s, u"/q"_s, u"%O%/srv"_s} << drive;
    QTest::newRow("del through a link") << QStringList {u"/c"_s, u"del"_s, u"/q"_s, u"E:\\Perso\\u\\link\\*"_s} << link;
    QTest::newRow("del of a folder through a link") << QStringList {u"/c"_s, u"del"_s, u"/q"_s, u"E:\\Perso\\u\\link\\sub"_s} << link;
    QTest::newRow("del of a file through a link") << QStringList {u"/c"_s, u"del"_s, u"E:\\Perso\\u\\link\\secret.txt"_s} << link;
    QTest::newRow("rd through a link") << QStringList {u"/c"_s, u"rd"_s, u"/s"_s, u"/q"_s, u"E:\\Perso\\u\\link\\sub"_s} << link;
    QTest::newRow("rd through a link of the program folder") << QStringList {u"/c"_s, u"rd"_s, u"/s"_s, u"/q"_s, u"pflink\\sub"_s} << link;
    QTest::newRow("md through a link") << QStringList {u"/c"_s, u"md"_s, u"E:\\Perso\\u\\link\\nouveau"_s} << link;
    QTest::newRow("md of nothing") << QStringList {u"/c"_s, u"md"_s, u""_s} << nothing;
    QTest::newRow("write through a link") << QStringList {u"/c"_s, u"echo"_s, u"x"_s, u">>"_s, u"E:\\Perso\\u\\link\\w.txt"_s} << link;
    // clang-format on
}

void TestInterpreter::guardsHoldOutsideTheFolder()
{
    QFETCH(QStringList, words);
    QFETCH(QString, said);
    layOutside();
    for (QString &word : words)
        word = withPlaces(word);

    const InterpreterRun result = InterpreterRun::of(*m_folder, words);
    QCOMPARE(result.code, 1);
    QVERIFY2(result.err.contains(said), qPrintable(result.err));
    for (const char *kept : {"%O%/srv/e/Perso/u/a.txt", "%O%/srv/e/Public/p.txt", "%O%/ailleurs/secret.txt",
             "%O%/ailleurs/sub/s.txt", "%P%/lecteurs/f/f.txt", "%P%/parametres.txt", "%P%/cmd"})
        QVERIFY2(QFileInfo::exists(withPlaces(QLatin1String(kept))), kept);
    QVERIFY(QFileInfo(withPlaces(u"%O%/srv/e/Perso/u/link"_s)).isSymLink());
    for (const char *made :
        {"%O%/srv/gone", "%O%/srv/zz", "%O%/ailleurs/nouveau", "%O%/ailleurs/w.txt", "%O%/ailleurs/b.txt", "%P%/zz"})
        QVERIFY2(!QFileInfo::exists(withPlaces(QLatin1String(made))), made);
}

void TestInterpreter::linksAsLastComponentGoAlone()
{
    layOutside();
    const auto ok = [this](const QStringList &words) {
        QStringList placed;
        for (const QString &word : words)
            placed << withPlaces(word);
        const InterpreterRun result = InterpreterRun::of(*m_folder, placed);
        return result.code == 0 ? QString() : placed.join(u' ') + QStringLiteral(" : ") + result.err;
    };
    const auto there = [this](const QString &path) { return QFileInfo::exists(withPlaces(path)); };

    // A deletion of the tree empties it without following its links.
    QCOMPARE(ok({u"/c"_s, u"del"_s, u"/s"_s, u"/q"_s, u"E:\\Perso"_s}), QString());
    QVERIFY(!there(u"%O%/srv/e/Perso/u/a.txt"_s));
    QVERIFY(there(u"%O%/ailleurs/secret.txt"_s) && there(u"%O%/srv/e/Public/p.txt"_s));
    // A link that stays in its drive leads the commands as a folder would.
    QCOMPARE(ok({u"/c"_s, u"md"_s, u"E:\\Perso\\u\\inner\\nouveau"_s}), QString());
    QVERIFY(there(u"%O%/srv/e/Public/nouveau"_s));
    QCOMPARE(ok({u"/c"_s, u"echo"_s, u"x"_s, u">>"_s, u"E:\\Perso\\u\\inner\\w.txt"_s}), QString());
    QCOMPARE(ok({u"/c"_s, u"ren"_s, u"E:\\Perso\\u\\inner\\w.txt"_s, u"v.txt"_s}), QString());
    QVERIFY(there(u"%O%/srv/e/Public/v.txt"_s));
    QCOMPARE(ok({u"/c"_s, u"del"_s, u"/q"_s, u"E:\\Perso\\u\\inner\\*"_s}), QString());
    QVERIFY(!there(u"%O%/srv/e/Public/p.txt"_s));
    // A link named last goes alone, whatever it points to.
    QCOMPARE(ok({u"/c"_s, u"rd"_s, u"/s"_s, u"/q"_s, u"E:\\Perso\\u\\link"_s}), QString());
    QCOMPARE(ok({u"/c"_s, u"rd"_s, u"E:\\Perso\\u\\inner"_s}), QString());
    QCOMPARE(ok({u"/c"_s, u"rd"_s, u"pflink"_s}), QString());
    QVERIFY(!QFileInfo(withPlaces(u"%O%/srv/e/Perso/u/link"_s)).isSymLink());
    QVERIFY(!QFileInfo(withPlaces(u"%P%/pflink"_s)).isSymLink());
    QVERIFY(there(u"%O%/ailleurs/secret.txt"_s) && there(u"%O%/ailleurs/sub/s.txt"_s)
        && there(u"%O%/srv/e/Public/nouveau"_s));
    // Inside a drive's folder everything may go, named through the program folder too.
    QCOMPARE(ok({u"/c"_s, u"md"_s, u"F:\\sous\\dossier"_s}), QString());
    QCOMPARE(ok({u"/c"_s, u"ren"_s, u"lecteurs\\f\\sous"_s, u"autre"_s}), QString());
    QCOMPARE(ok({u"/c"_s, u"rd"_s, u"/s"_s, u"/q"_s, u"lecteurs\\f\\autre"_s}), QString());
    QVERIFY(there(u"%P%/lecteurs/f/f.txt"_s) && !there(u"%P%/lecteurs/f/autre"_s));
}

void TestInterpreter::shares_data()
{
    QTest::addColumn<QStringList>("setup");
    QTest::addColumn<QStringList>("commands");
    QTest::addColumn<QList<int>>("codes");
    QTest::addColumn<QStringList>("names");

    const QStringList folders {u"drives/e/Public/"_s, u"drives/e/Matieres/"_s, u"drives/e/Mes documents/"_s};
    // clang-format off
    QTest::newRow("share a folder") << folders << QStringList {u"/c net share public=e:\\PUBLIC /unlimited"_s} << QList<int> {0} << QStringList {u"public"_s};
    QTest::newRow("a name is taken in any case") << folders << QStringList {u"/c net share matieres=E:\\Matieres /unlimited"_s, u"/c net share Matieres=E:\\Matieres /unlimited"_s} << QList<int> {0, 1} << QStringList {u"matieres"_s};
    QTest::newRow("delete in any case with /delete /y") << folders << QStringList {u"/c net share TS8dupont$=E:\\Public /unlimited"_s, u"/c net share ts8DUPONT$ /delete /y"_s} << QList<int> {0, 0} << QStringList {};
    QTest::newRow("delete with /del /y") << folders << QStringList {u"/c net share TS8=E:\\Public"_s, u"/c net share public=E:\\Public"_s, u"/c net share TS8 /del /y"_s} << QList<int> {0, 0, 0} << QStringList {u"public"_s};
    QTest::newRow("deleting a missing share fails") << folders << QStringList {u"/c net share absent /del /y"_s} << QList<int> {1} << QStringList {};
    QTest::newRow("a missing folder is not shared") << folders << QStringList {u"/c net share X=E:\\absent /unlimited"_s} << QList<int> {1} << QStringList {};
    QTest::newRow("a name with a separator is refused") << folders << QStringList {u"/c net share a\\b=E:\\Public"_s, u"/c net share =E:\\Public"_s} << QList<int> {1, 1} << QStringList {};
    QTest::newRow("an unquoted path with a space") << folders << QStringList {u"/c net share docs=E:\\Mes documents /unlimited"_s} << QList<int> {0} << QStringList {u"docs"_s};
    QTest::newRow("an unknown option fails") << folders << QStringList {u"/c net share X=E:\\Public /grant:tous"_s} << QList<int> {1} << QStringList {};
    // One share a line in the list: a line break would slip a share of its own in.
    QTest::newRow("a line break in a remark is refused") << folders << QStringList {u"/c net share v$=E:\\Public /remark:a\nevil,E:\\,/etc,"_s, u"/c net share evil"_s} << QList<int> {1, 1} << QStringList {};
    QTest::newRow("a line break in a path is refused") << folders + QStringList {u"drives/e/x\nevil/"_s} << QStringList {u"/c net share v$=E:\\x\nevil"_s} << QList<int> {1} << QStringList {};
    QTest::newRow("a tab in a remark is refused") << folders << QStringList {u"/c net share v$=E:\\Public /remark:a\tb"_s} << QList<int> {1} << QStringList {};
    QTest::newRow("a control character in a name is refused") << folders << QStringList {u"/c net share v\x7f$=E:\\Public"_s, u"/c net share v\u0085$=E:\\Public"_s} << QList<int> {1, 1} << QStringList {};
    QTest::newRow("only net share is known") << folders << QStringList {u"/c net user dupont"_s, u"/c net"_s} << QList<int> {1, 1} << QStringList {};
    // clang-format on
}

void TestInterpreter::shares()
{
    QFETCH(QStringList, setup);
    QFETCH(QStringList, commands);
    QFETCH(QList<int>, codes);
    QFETCH(QStringList, names);

    lay(setup);
    for (qsizetype i = 0; i < commands.size(); ++i) {
        const InterpreterRun result = run(commands[i]);
        QVERIFY2(result.code == codes[i], qPrintable(commands[i] + QStringLiteral(" : ") + result.err));
    }
    FileShareStore store(m_folder->path());
    auto shares = store.list();
    QVERIFY(shares.ok());
    QStringList listed;
    for (const Share &share : std::as_const(*shares)) {
        listed.append(share.name);
        QVERIFY2(QFileInfo(share.hostPath).isDir(), qPrintable(share.hostPath));
    }
    QCOMPARE(listed, names);
}

void TestInterpreter::shareListAndFile()
{
    lay({u"drives/e/Public/TS8/"_s});
    QCOMPARE(run(QStringLiteral("/c net share TS8=e:\\public\\ts8 /unlimited /remark:Élèves de TS8")).code, 0);
    QCOMPARE(run(QStringLiteral("/c net share public=E:\\Public /users:10")).code, 0);

    const InterpreterRun listing = run(QStringLiteral("/c net share"));
    QCOMPARE(listing.code, 0);
    QVERIFY(listing.out.contains(QStringLiteral("TS8")));
    QVERIFY(listing.out.contains(QStringLiteral("e:\\public\\ts8")));
    QVERIFY(listing.out.contains(QStringLiteral("Élèves de TS8")));
    QVERIFY(listing.out.contains(QStringLiteral("public")));

    const InterpreterRun one = run(QStringLiteral("/c net share ts8"));
    QCOMPARE(one.code, 0);
    QVERIFY(one.out.contains(m_folder->drive(QStringLiteral("E")) + QStringLiteral("/Public/TS8")));

    // The list is a Windows-1252 file with CR LF line ends.
    const QByteArray file = m_folder->readFile(QStringLiteral("partages.txt"));
    QVERIFY(file.contains("\xC9l\xE8ves de TS8"));
    QCOMPARE(file.count("\r\n"), 2);
    QCOMPARE(file.count('\n'), 2);
}

void TestInterpreter::nameTakenInTheList_data()
{
    QTest::addColumn<QByteArray>("list");
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("taken");

    const QByteArray list = "\"public\",\"E:\\Public\",\"/srv/e/Public\",\"\"\r\n"
                            "  Matieres,E:\\Matieres,/srv/e/Matieres,\r\n"
                            "\r\n"
                            "\"\xC9l\xE8ves\",\"E:\\TS8dupont$\",\"/srv/e/x\",\"ts8dupont$\"\r\n"
                            "\"TS8martin$\",\"E:\\x\",\"/srv/e/x\",\"\"";
    QTest::newRow("the same name in another case") << list << QStringLiteral("PUBLIC") << true;
    QTest::newRow("a name written by hand, unquoted") << list << QStringLiteral("matieres") << true;
    QTest::newRow("on the last line, cut off") << list << QStringLiteral("ts8MARTIN$") << true;
    QTest::newRow("accented, in another case") << list << QStringLiteral("ÉLÈVES") << true;
    QTest::newRow("only in another share's path and remark") << list << QStringLiteral("TS8dupont$") << false;
    QTest::newRow("the start of a name") << list << QStringLiteral("pub") << false;
    QTest::newRow("an accented name is not its plain spelling") << list << QStringLiteral("eleves") << false;
}

// Names are checked in the raw list, as a school's thousands of shares call for: the same answers as
// reading every record.
void TestInterpreter::nameTakenInTheList()
{
    QFETCH(QByteArray, list);
    QFETCH(QString, name);
    QFETCH(bool, taken);

    m_folder->writeFile(QStringLiteral("partages.txt"), list);
    FileShareStore store(m_folder->path());
    const Status added = store.add(Share {name, QStringLiteral("E:\\Public"), QStringLiteral("/srv/e/Public"), {}});
    QVERIFY2(added.ok() != taken, qPrintable(added.message()));
    auto shares = store.list();
    QVERIFY(shares.ok());
    QCOMPARE(shares->size(), taken ? 4 : 5);
    if (taken)
        QVERIFY(added.message().contains(QStringLiteral("est déjà partagé")));
    else
        QCOMPARE(shares->last().name, name);
}

void TestInterpreter::diskUsageReport()
{
    const QString profs = m_folder->drive(QStringLiteral("E")) + QStringLiteral("/Perso/profs");
    QVERIFY(QDir().mkpath(profs + QStringLiteral("/martin/cours")));
    QVERIFY(QDir().mkpath(profs + QStringLiteral("/Dupont")));
    QVERIFY(QDir().mkpath(profs + QStringLiteral("/vide")));
    const auto sized = [](const QString &path, qint64 bytes) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QVERIFY(file.resize(bytes));
    };
    sized(profs + QStringLiteral("/Dupont/a.bin"), 3 * 1024 * 1024 + 512 * 1024);
    sized(profs + QStringLiteral("/martin/b.bin"), 1024 * 1024);
    sized(profs + QStringLiteral("/martin/cours/c.bin"), 1024 * 1024); // exactly the limit: not over it
    sized(profs + QStringLiteral("/loose.bin"), 1024 * 1024);

    // As the disk-usage check writes it: the path in another case, two reports appended to one log.
    const QString line = QStringLiteral("/c diruse /M /q:2 /D e:\\perso\\PROFS\\ /* >> C:\\templogdir.txt");
    QCOMPARE(run(line).code, 0);
    QCOMPARE(run(line).code, 0);

    const QByteArray log = m_folder->readFile(QStringLiteral("drives/c/templogdir.txt"));
    const QStringList lines = QString::fromLatin1(log).split(QStringLiteral("\r\n"));
    const QStringList report {
        u"Occupation de e:\\perso\\PROFS\\ (limite 2 Mo)"_s,
        u"      Taille(Mo)  Fichiers  Dossier"_s,
        u"!           3,50         1  e:\\perso\\PROFS\\Dupont"_s,
        u"            2,00         2  e:\\perso\\PROFS\\martin"_s,
        u"            0,00         0  e:\\perso\\PROFS\\vide"_s,
        u"            6,50         4  Total e:\\perso\\PROFS"_s,
        u""_s,
    };
    QCOMPARE(lines, report + report + QStringList {u""_s});
    QCOMPARE(log.count('\n'), log.count("\r\n"));
    // The size of a marked line ends right under the end of "Taille(Mo)".
    QCOMPARE(report[2].indexOf(QStringLiteral("3,50")) + 4, report[1].indexOf(QStringLiteral("Taille(Mo)")) + 10);

    // Without "/*" the folder is measured as a whole.
    const InterpreterRun whole = run(QStringLiteral("/c diruse /M /q:6,4 E:\\Perso\\profs"));
    QCOMPARE(whole.code, 0);
    QVERIFY(whole.out.contains(QStringLiteral("!           6,50         4  E:\\Perso\\profs\n")));
}

void TestInterpreter::diskUsageTotalIsTheWholeFolder()
{
    // The total under "/*" is the folder measured whole: hidden folders and loose files count,
    // links count for nothing, whether they point to a folder or to a file.
    const QString eleves = m_folder->drive(QStringLiteral("E")) + QStringLiteral("/Perso/eleves");
    const QString elsewhere = m_folder->drive(QStringLiteral("F")) + QStringLiteral("/ailleurs");
    QVERIFY(QDir().mkpath(eleves + QStringLiteral("/TS8/.cache")));
    QVERIFY(QDir().mkpath(elsewhere));
    const auto sized = [](const QString &path, qint64 bytes) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QVERIFY(file.resize(bytes));
    };
    sized(eleves + QStringLiteral("/TS8/.cache/a.bin"), 1024 * 1024);
    sized(eleves + QStringLiteral("/TS8/b.bin"), 512 * 1024);
    sized(eleves + QStringLiteral("/.liste"), 256 * 1024);
    sized(elsewhere + QStringLiteral("/gros.bin"), 8 * 1024 * 1024);
    QVERIFY(QFile::link(elsewhere, eleves + QStringLiteral("/lien")));
    QVERIFY(QFile::link(elsewhere + QStringLiteral("/gros.bin"), eleves + QStringLiteral("/gros.bin")));

    const InterpreterRun each = run(QStringLiteral("/c diruse /* E:\\Perso\\eleves"));
    QCOMPARE(each.code, 0);
    QVERIFY2(each.out.contains(QStringLiteral("            1,50         2  E:\\Perso\\eleves\\TS8\n")),
        qPrintable(each.out));
    QVERIFY2(!each.out.contains(QStringLiteral("lien")), qPrintable(each.out));
    QVERIFY2(each.out.contains(QStringLiteral("            1,75         3  Total E:\\Perso\\eleves\n")),
        qPrintable(each.out));
    const InterpreterRun whole = run(QStringLiteral("/c diruse E:\\Perso\\eleves"));
    QVERIFY2(
        whole.out.contains(QStringLiteral("            1,75         3  E:\\Perso\\eleves\n")), qPrintable(whole.out));
}

void TestInterpreter::diskUsageFailures_data()
{
    QTest::addColumn<QString>("command");
    QTest::newRow("limit is not a number") << "/c diruse /M /q:quinze /D E:\\Perso\\profs\\ /* >> C:\\templogdir.txt";
    QTest::newRow("folder is missing") << "/c diruse /M /q:15 /D E:\\Perso\\absent\\ /* >> C:\\templogdir.txt";
    QTest::newRow("no folder") << "/c diruse /M /q:15 >> C:\\templogdir.txt";
    QTest::newRow("limit is not a number at all")
        << "/c diruse /M /q:nan /D E:\\Perso\\profs\\ /* >> C:\\templogdir.txt";
    QTest::newRow("limit is infinite") << "/c diruse /M /q:inf /D E:\\Perso\\profs\\ /* >> C:\\templogdir.txt";
}

void TestInterpreter::diskUsageFailures()
{
    QFETCH(QString, command);
    lay({u"drives/e/Perso/profs/dupont/a.txt"_s});
    const InterpreterRun result = run(command);
    QCOMPARE(result.code, 1);
    QVERIFY(!result.err.isEmpty());
    // Nothing the check would show: no line of the log starts with "!".
    const QByteArray log = m_folder->readFile(QStringLiteral("drives/c/templogdir.txt"));
    QVERIFY(!log.startsWith('!') && !log.contains("\n!"));
}

void TestInterpreter::redirection()
{
    QCOMPARE(run(QStringLiteral("/c echo bonjour été >> C:\\Sortie.txt")).code, 0);
    QCOMPARE(run(QStringLiteral("/c echo deux >> c:\\sortie.TXT")).code, 0);
    QCOMPARE(m_folder->readFile(QStringLiteral("drives/c/Sortie.txt")), QByteArray("bonjour \xE9t\xE9\r\ndeux\r\n"));

    QCOMPARE(run(QStringLiteral("/c echo seul > C:\\Sortie.txt")).code, 0);
    QCOMPARE(m_folder->readFile(QStringLiteral("drives/c/Sortie.txt")), QByteArray("seul\r\n"));

    // A report written to a folder that does not exist is a failure, not a lost report.
    QCOMPARE(run(QStringLiteral("/c echo x >> C:\\absent\\sortie.txt")).code, 1);
    QCOMPARE(run(QStringLiteral("/c echo x >>")).code, 1);
}

void TestInterpreter::unknownCommandAndUsage()
{
    const InterpreterRun unknown = run(QStringLiteral("/c copy a b"));
    QCOMPARE(unknown.code, 1);
    QVERIFY(unknown.err.contains(QStringLiteral("n'est pas une commande connue")));

    const InterpreterRun usage = run(QStringLiteral("/k dir"));
    QVERIFY(usage.code != 0);
    QVERIFY(usage.err.startsWith(QStringLiteral("Utilisation")));
}

namespace {

// Hands the line to the interpreter and waits for its exit code; -1 when it never answers.
int served(ServingInterpreter &interpreter, const QString &folder, const QStringList &words)
{
    if (!interpreter.send(QFile::encodeName(folder), QStringList {u"cmd"_s} + words))
        return -1;
    for (int waited = 0; waited < 600; ++waited) {
        pollfd answer {interpreter.answerFd(), POLLIN, 0};
        ::poll(&answer, 1, 100);
        switch (interpreter.hear()) {
        case ServingInterpreter::Heard::Ended:
            return interpreter.exitCode();
        case ServingInterpreter::Heard::Gone:
            return -1;
        case ServingInterpreter::Heard::Nothing:
            break;
        }
    }
    return -1;
}

} // namespace

void TestInterpreter::servedLinesRunAsTheirOwnProcess()
{
    auto started = ServingInterpreter::start(QFile::encodeName(m_folder->path() + u"/cmd"_s), {});
    QVERIFY2(started.ok(), qPrintable(started.message()));
    ServingInterpreter &interpreter = **started;

    // Any character reaches the command whole, the stream's own ":" and digits included, and the
    // line writes what a process of its own writes.
    const QStringList words {u"echo"_s, u"3:x,"_s, u""_s, u"élève 100%"_s, u"a\nb"_s, u"\u20ac"_s};
    QCOMPARE(served(interpreter, m_folder->path(),
                 QStringList {u"/c"_s} + words + QStringList {u">>"_s, u"C:\\servi.txt"_s}),
        0);
    QCOMPARE(
        InterpreterRun::of(*m_folder, QStringList {u"/c"_s} + words + QStringList {u">>"_s, u"C:\\seul.txt"_s}).code,
        0);
    QVERIFY(m_folder->exists(u"drives/c/seul.txt"_s));
    QCOMPARE(m_folder->readFile(u"drives/c/servi.txt"_s), m_folder->readFile(u"drives/c/seul.txt"_s));

    // Each line is answered with its own exit code, a failing or unknown one too.
    lay({u"garde/fichier.txt"_s});
    QCOMPARE(served(interpreter, m_folder->path(), {u"/c"_s, u"md"_s, u"C:\\servi.txt"_s}), 1);
    QCOMPARE(served(interpreter, m_folder->path(), {u"/servir"_s, u"3"_s}), 2);
    // A question gets no answer from the stream of lines: the next line still comes whole.
    QCOMPARE(served(interpreter, m_folder->path(), {u"/c"_s, u"rd"_s, u"/s"_s, u"garde"_s}), 0);
    QCOMPARE(served(interpreter, m_folder->path(), {u"/c"_s, u"md"_s, u"C:\\suivant"_s}), 0);
    QVERIFY(m_folder->exists(u"garde/fichier.txt"_s));
    QVERIFY(QFileInfo(m_folder->drive(u"C"_s) + u"/suivant"_s).isDir());
    // The drive map is read again for each line.
    QTemporaryDir elsewhere;
    QVERIFY(elsewhere.isValid());
    m_folder->writeFile(u"lecteurs.txt"_s, "C:,drives/c\r\nG:," + QFile::encodeName(elsewhere.path()) + "\r\n");
    QCOMPARE(served(interpreter, m_folder->path(), {u"/c"_s, u"md"_s, u"G:\\nouveau"_s}), 0);
    QVERIFY(QFileInfo(elsewhere.path() + u"/nouveau"_s).isDir());
}

void TestInterpreter::servingModeRefusesWhatIsNoLine_data()
{
    QTest::addColumn<QString>("answerFd");
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("message");
    // clang-format off
    QTest::newRow("no line at all") << "3" << QByteArray() << 0 << "";
    QTest::newRow("no descriptor for the answers") << "9" << QByteArray() << 2 << "descripteur";
    QTest::newRow("a descriptor that is no number") << "trois" << QByteArray() << 2 << "descripteur";
    QTest::newRow("text that is no line") << "3" << QByteArray("cmd /c md C:\\x\n") << 2 << "illisible";
    QTest::newRow("a length past any line") << "3" << QByteArray("99999999999:") << 2 << "illisible";
    QTest::newRow("a line cut short") << "3" << QByteArray("0:1:-1:1") << 2 << "incomplète";
    // clang-format on
}

void TestInterpreter::servingModeRefusesWhatIsNoLine()
{
    QFETCH(QString, answerFd);
    QFETCH(QByteArray, input);
    QFETCH(int, code);
    QFETCH(QString, message);
    QProcess process;
    process.setWorkingDirectory(m_folder->path());
    // Descriptor 3 is where the shell reads answers; here it leads nowhere.
    process.setChildProcessModifier([] {
        const int nowhere = ::open("/dev/null", O_WRONLY);
        ::dup2(nowhere, 3);
    });
    process.start(m_folder->path() + u"/cmd"_s, {u"/servir"_s, answerFd});
    QVERIFY(process.waitForStarted());
    process.write(input);
    process.closeWriteChannel();
    QVERIFY(process.waitForFinished(30000));
    QCOMPARE(process.exitCode(), code);
    const QString err = QString::fromLocal8Bit(process.readAllStandardError());
    QVERIFY2(message.isEmpty() ? err.isEmpty() : err.contains(message), qPrintable(err));
    QVERIFY(!QFileInfo::exists(m_folder->drive(u"C"_s) + u"/x"_s));
}

QTEST_GUILESS_MAIN(TestInterpreter)
#include "tst_interpreter.moc"
