#include "shell/processshell.h"
#include "tools/diruse.h"
#include "toolsfixture.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QDir>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>
#include <QThread>

using namespace Qt::StringLiterals;

namespace {

// Records the lines and, in place of the disk-usage tool, appends a prepared report to the log for
// each command it waits for, taking the time it is told to.
class ReportingShell : public RecordingShell
{
public:
    QString logHostPath;
    QList<QByteArray> reports;
    int millisecondsPerCommand = 0;

    Status startAndWait(const QString &commandLine, WindowStyle style, int timeoutMs) override
    {
        if (const Status started = RecordingShell::startAndWait(commandLine, style, timeoutMs); !started)
            return started;
        if (millisecondsPerCommand > 0)
            QThread::msleep(millisecondsPerCommand);
        if (!reports.isEmpty()) {
            QFile log(logHostPath);
            if (log.open(QIODevice::Append))
                log.write(reports.takeFirst());
        }
        return {};
    }
};

} // namespace

// The disk-usage check: the dialog, its commands, the log it reads and deletes, and the list it shows.
class TestDirUse : public QObject, private ToolsFixture<ReportingShell>
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void window();
    void commandLines();
    void listShowsOnlyMarkedLinesUnchanged();
    void realToolOnAPreparedTree();
    void switchingEmptiesTheListAndTheLog();
    void switchingByEveryMeans_data();
    void switchingByEveryMeans();
    void missingFilesAreNamed();
    void waitIsBounded();
    void limitWithASpaceIsRefused();

private:
    DirUse *open() { return ToolsFixture::open<DirUse>(); }
    QStringList entries() const;
    QString log() const { return m_folder->drive(QStringLiteral("C")) + QStringLiteral("/templogdir.txt"); }
    QString caption() const { return m_dialog->findChild<QPushButton *>(QStringLiteral("cmd_verif"))->text(); }
};

static const QString kHeading = QStringLiteral("Voici la liste des dossiers qui dépassent 15 Mo");

static QStringList framed(const QString &heading, const QStringList &marked)
{
    return QStringList {heading, u" "_s, u"      Taille(Mo)"_s} + marked
        + QStringList {u" "_s, u"Vérification terminée."_s};
}

void TestDirUse::init()
{
    setUp();
    m_folder->writeFile(QStringLiteral("div.txt"), "TS8,TS8\r\n2NDE1,2A\r\n");
    m_shell.logHostPath = log();
}

void TestDirUse::cleanup()
{
    tearDown();
}

QStringList TestDirUse::entries() const
{
    QStringList all;
    const QListWidget *list = m_dialog->findChild<QListWidget *>(QStringLiteral("List1"));
    for (int i = 0; i < list->count(); ++i)
        all << list->item(i)->text();
    return all;
}

void TestDirUse::window()
{
    m_folder->writeFile(QStringLiteral("drives/c/templogdir.txt"), "! vieux rapport\r\n");
    DirUse *dialog = open();
    QVERIFY(dialog);
    QCOMPARE(dialog->objectName(), QStringLiteral("diruse"));
    QCOMPARE(dialog->windowTitle(), QStringLiteral("Vérification de l'espace disque utilisé par les élèves"));
    QVERIFY(!dialog->parentWidget());
    QVERIFY(dialog->windowFlags() & Qt::Tool);

    const QList<std::pair<const char *, QString>> texts = {{"Label1", u"Limite d'espace disque a respecter"_s},
        {"txt_limite", u"15"_s}, {"Label2", u"Mo"_s}, {"opt_eleves", u"Eleves"_s}, {"opt_profs", u"Profs"_s},
        {"cmd_verif", u"Vérifier"_s}, {"cmd_annul", u"Annuler"_s}};
    for (const auto &[name, text] : texts) {
        QWidget *w = dialog->findChild<QWidget *>(QString::fromLatin1(name));
        QVERIFY2(w, name);
        QCOMPARE(w->property("text").toString(), text);
        QVERIFY2(dialog->rect().contains(w->geometry()), name);
    }
    QCOMPARE(dialog->findChild<QGroupBox *>(QStringLiteral("Frame1"))->title(), QStringLiteral("Type d'utilisateur"));
    QCOMPARE(dialog->findChild<QLineEdit *>(QStringLiteral("txt_limite"))->accessibleName(),
        QStringLiteral("Limite d'espace disque a respecter"));
    QVERIFY(dialog->findChild<QRadioButton *>(QStringLiteral("opt_eleves"))->isChecked());
    QVERIFY(entries().isEmpty());
    // A log left from an earlier check is gone as soon as the dialog opens.
    QVERIFY(!QFile::exists(log()));
}

void TestDirUse::commandLines()
{
    // The system volume comes from "system.txt" when the dialog opens; the main window's copy stands in
    // when that file cannot be read.
    m_folder->writeSettings(QStringLiteral("LYCEE"), QStringLiteral("SRVPEDA"), QStringLiteral("D:"));
    m_folder->writeFile(QStringLiteral("div.txt"), "TS8,TS8\r\nBLANC,\r\n2NDE1,2A\r\n");
    m_main.homePath = QStringLiteral("G:\\Perso");
    open()->findChild<QLineEdit *>(QStringLiteral("txt_limite"))->setText(QStringLiteral("20"));
    click("cmd_verif");
    QCOMPARE(m_shell.lines(),
        (QStringList {u"cmd.exe /c diruse /M /q:20 /D G:\\Perso\\eleves\\TS8\\ /* >> D:\\templogdir.txt"_s,
            u"cmd.exe /c diruse /M /q:20 /D G:\\Perso\\eleves\\2A\\ /* >> D:\\templogdir.txt"_s}));
    for (const RecordingShell::Started &s : std::as_const(m_shell.started)) {
        QCOMPARE(s.style, WindowStyle::Hidden);
        QVERIFY(s.waited);
    }
    QVERIFY(m_shell.pauses.isEmpty());

    m_shell.started.clear();
    click<QRadioButton>("opt_profs");
    click("cmd_verif");
    QCOMPARE(
        m_shell.lines(), QStringList {u"cmd.exe /c diruse /M /q:20 /D G:\\Perso\\profs\\ /* >> D:\\templogdir.txt"_s});

    QVERIFY(QFile::remove(m_folder->path() + QStringLiteral("/system.txt")));
    m_main.volume = QStringLiteral("H:");
    m_dialogs->closeAll();
    QTRY_VERIFY(!m_dialog);
    m_shell.started.clear();
    open();
    click<QRadioButton>("opt_profs");
    click("cmd_verif");
    QVERIFY(m_shell.lines().value(0).endsWith(QStringLiteral(" >> H:\\templogdir.txt")));
}

void TestDirUse::listShowsOnlyMarkedLinesUnchanged()
{
    m_shell.reports = {"Occupation de E:\\Perso\\eleves\\TS8\\ (limite 15 Mo)\r\n"
                       "!   17,52    3  E:\\Perso\\eleves\\TS8\\TS8MARTINPa  \r\n"
                       " !  99,00    1  pas au d\xe9"
                       "but\r\n"
                       "\r\n",
        "!16  2A\\2ALEFEVRE,  d\r\n"
        "Erreur : !\r\n"};
    open();
    click("cmd_verif");
    QCOMPARE(entries(),
        framed(kHeading, {u"!   17,52    3  E:\\Perso\\eleves\\TS8\\TS8MARTINPa  "_s, u"!16  2A\\2ALEFEVRE,  d"_s}));
    QCOMPARE(caption(), QStringLiteral("Vérifer"));
    QVERIFY(!QFile::exists(log()));
    QVERIFY(m_prompts.shown.isEmpty());

    // A report without any marked line: the three heading lines, " " and the closing line.
    m_shell.reports = {"Occupation de ...\r\n   1,00   1  a\r\n", "\r\n"};
    click("cmd_verif");
    QCOMPARE(entries(), framed(kHeading, {}));
    QCOMPARE(entries().size(), 5);
}

void TestDirUse::realToolOnAPreparedTree()
{
    m_folder->installPrograms();
    QVERIFY2(m_folder->exists(QStringLiteral("cmd")), "the interpreter is built into the program folder");
    ProcessShell real(m_folder->paths());
    m_shellSwitch.switchTo(real);

    // Sparse files: their size counts, their blocks cost nothing.
    const auto makeFile = [this](const QString &relative, qint64 megabytes) {
        const QString path = m_folder->drive(QStringLiteral("E")) + QStringLiteral("/Perso/") + relative;
        QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QVERIFY(file.resize(megabytes * 1024 * 1024));
    };
    makeFile(QStringLiteral("eleves/TS8/TS8MARTINPaul/photos/a.jpg"), 20);
    makeFile(QStringLiteral("eleves/TS8/TS8DUPONT-LAJ/b.txt"), 1);
    makeFile(QStringLiteral("eleves/2A/2AHÉLOÏSE/c.bin"), 16);
    makeFile(QStringLiteral("profs/DURANDAnne/d.bin"), 30);

    open();
    click("cmd_verif");
    // In the order of "div.txt", each line as the tool wrote it, accents through the log's code page.
    QCOMPARE(entries(),
        framed(kHeading,
            {u"!          20,00         1  E:\\Perso\\eleves\\TS8\\TS8MARTINPaul"_s,
                u"!          16,00         1  E:\\Perso\\eleves\\2A\\2AHÉLOÏSE"_s}));
    QCOMPARE(caption(), QStringLiteral("Vérifer"));
    QVERIFY(!QFile::exists(log()));
    QVERIFY(m_prompts.shown.isEmpty());

    click<QRadioButton>("opt_profs");
    click("cmd_verif");
    QCOMPARE(entries(), framed(kHeading, {u"!          30,00         1  E:\\Perso\\profs\\DURANDAnne"_s}));

    // Over no limit: nothing but the frame.
    m_dialog->findChild<QLineEdit *>(QStringLiteral("txt_limite"))->setText(QStringLiteral("100"));
    click<QRadioButton>("opt_eleves");
    click("cmd_verif");
    QCOMPARE(entries(), framed(QStringLiteral("Voici la liste des dossiers qui dépassent 100 Mo"), {}));

    // A limit the tool rejects: its complaint starts with no "!", so no folder is listed.
    m_dialog->findChild<QLineEdit *>(QStringLiteral("txt_limite"))->setText(QStringLiteral("quinze"));
    click("cmd_verif");
    QCOMPARE(entries(), framed(QStringLiteral("Voici la liste des dossiers qui dépassent quinze Mo"), {}));
}

void TestDirUse::switchingEmptiesTheListAndTheLog()
{
    m_shell.reports = {"!  1\r\n", "!  2\r\n"};
    open();
    click("cmd_verif");
    QCOMPARE(entries().size(), 7);
    for (const char *option : {"opt_profs", "opt_eleves", "opt_eleves"}) {
        m_folder->writeFile(QStringLiteral("drives/c/templogdir.txt"), "! reste\r\n");
        click<QRadioButton>(option);
        QVERIFY2(entries().isEmpty(), option);
        QVERIFY2(!QFile::exists(log()), option);
    }
}

void TestDirUse::switchingByEveryMeans_data()
{
    QTest::addColumn<QString>("means");
    QTest::addColumn<int>("actsOnSelected"); // what the same means does on the type already selected
    QTest::newRow("mouse") << "mouse" << 1;
    QTest::newRow("space bar") << "space" << 1;
    QTest::newRow("assistive tool") << "assistive" << 0;
    QTest::newRow("program") << "setChecked" << 0;
}

void TestDirUse::switchingByEveryMeans()
{
    // However the other user type is chosen, the list and the log are emptied, and once only.
    QFETCH(QString, means);
    QFETCH(int, actsOnSelected);
    m_shell.reports = {"!  1\r\n", "!  2\r\n"};
    open();
    click("cmd_verif");
    QCOMPARE(entries().size(), 7);
    QSignalSpy emptied(
        m_dialog->findChild<QListWidget *>(QStringLiteral("List1"))->model(), &QAbstractItemModel::modelReset);
    auto choose = [&](QRadioButton *button) {
        if (means == u"mouse"_s) {
            // On the round mark: the caption is shorter than the button.
            QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(button->height() / 2, button->height() / 2));
        } else if (means == u"space"_s) {
            QTest::keyClick(button, Qt::Key_Space);
        } else if (means == u"assistive"_s) {
            QAccessibleActionInterface *actions = QAccessible::queryAccessibleInterface(button)->actionInterface();
            QVERIFY(actions);
            QVERIFY(actions->actionNames().contains(QAccessibleActionInterface::toggleAction()));
            actions->doAction(QAccessibleActionInterface::toggleAction());
        } else {
            button->setChecked(true);
        }
    };
    for (const char *option : {"opt_profs", "opt_eleves"}) {
        m_folder->writeFile(QStringLiteral("drives/c/templogdir.txt"), "! reste\r\n");
        auto *button = m_dialog->findChild<QRadioButton *>(QString::fromLatin1(option));
        emptied.clear();
        choose(button);
        QVERIFY2(button->isChecked(), option);
        QVERIFY2(entries().isEmpty(), option);
        QVERIFY2(!QFile::exists(log()), option);
        QCOMPARE(emptied.size(), 1);
    }

    // The type already selected stays selected.
    auto *pupils = m_dialog->findChild<QRadioButton *>(QStringLiteral("opt_eleves"));
    emptied.clear();
    choose(pupils);
    QVERIFY(pupils->isChecked());
    QCOMPARE(emptied.size(), actsOnSelected);
}

void TestDirUse::missingFilesAreNamed()
{
    // No class list: nothing to run, nothing found, and the check says why.
    QVERIFY(QFile::remove(m_folder->path() + QStringLiteral("/div.txt")));
    open();
    click("cmd_verif");
    QVERIFY(m_shell.started.isEmpty());
    QCOMPARE(entries(), framed(kHeading, {}));
    QCOMPARE(m_prompts.messages(),
        QStringList {QStringLiteral("La vérification est incomplète :\rListe des classes « div.txt » introuvable "
                                    "dans le dossier du programme : aucune classe n'a été vérifiée.")});

    // Commands that ran but left no log.
    m_prompts.clear();
    m_folder->writeFile(QStringLiteral("div.txt"), "TS8,TS8\r\n");
    click("cmd_verif");
    QCOMPARE(entries(), framed(kHeading, {}));
    QCOMPARE(m_prompts.messages(),
        QStringList {QStringLiteral("La vérification est incomplète :\rLe rapport C:\\templogdir.txt est "
                                    "introuvable : aucun dossier n'a pu être mesuré.")});
    QCOMPARE(caption(), QStringLiteral("Vérifer"));
}

void TestDirUse::waitIsBounded()
{
    m_folder->writeFile(QStringLiteral("div.txt"), "A,A\r\nB,B\r\nC,C\r\n");
    m_shell.millisecondsPerCommand = 300;
    m_shell.reports = {"!  A\r\n", "!  B\r\n", "!  C\r\n"};
    DirUse dialog(*m_services, 100);
    m_dialog = &dialog;
    click("cmd_verif");
    // The first command used the whole budget; the others were not started.
    QCOMPARE(m_shell.started.size(), 1);
    QCOMPARE(entries(), framed(kHeading, {u"!  A"_s}));
    QCOMPARE(m_prompts.messages(),
        QStringList {QStringLiteral("La vérification est incomplète :\r2 dossier(s) n'ont pas été vérifiés : le "
                                    "temps d'attente de la vérification était écoulé.")});
}

void TestDirUse::limitWithASpaceIsRefused()
{
    open()->findChild<QLineEdit *>(QStringLiteral("txt_limite"))->setText(QStringLiteral("15 >> E:\\x.txt"));
    click("cmd_verif");
    QVERIFY(m_shell.started.isEmpty());
    QCOMPARE(m_prompts.messages(),
        QStringList {QStringLiteral("La limite « 15 >> E:\\x.txt » ne doit pas contenir d'espace : indiquez un "
                                    "nombre de Mo.")});
    QCOMPARE(caption(), QStringLiteral("Vérifier"));
}

QTEST_MAIN(TestDirUse)
#include "tst_diruse.moc"
