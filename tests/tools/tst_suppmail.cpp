#include "journal/journalfile.h"
#include "shell/processshell.h"
#include "tools/suppmail.h"
#include "toolsfixture.h"

#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using namespace Qt::StringLiterals;

// Emptying the mail store: the window, the two commands in order, and the store afterwards.
class TestSuppMail : public QObject, private ToolsFixture<>
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void window();
    void commandLines();
    void storeIsEmptyAfterwards_data();
    void storeIsEmptyAfterwards();
    void cancelLeavesTheStore();
    void refusesDriveRootOrEmptyPath_data();
    void refusesDriveRootOrEmptyPath();
    void removalThatCannotStart();

private:
    SuppMail *open() { return ToolsFixture::open<SuppMail>(); }
    void fillStore();
    QString store() const { return m_folder->drive(QStringLiteral("F")) + QStringLiteral("/messagerie"); }
    // The single actions' journal, each line without its date and time.
    QStringList journalled() const
    {
        PathResolver &paths = m_folder->paths();
        const auto lines = JournalFile::readLines(paths, JournalFile::folder(paths) + QStringLiteral("\\actions.txt"));
        QStringList shortened;
        for (const QString &line : lines ? *lines : QStringList())
            shortened << line.section(QStringLiteral(" ; "), 2);
        return shortened;
    }
};

void TestSuppMail::init()
{
    setUp();
}

void TestSuppMail::cleanup()
{
    tearDown();
}

void TestSuppMail::fillStore()
{
    m_folder->writeFile(QStringLiteral("drives/f/messagerie/dupont/inbox/1.eml"), "Bonjour");
    m_folder->writeFile(QStringLiteral("drives/f/messagerie/dupont/.index"), "x");
    m_folder->writeFile(QStringLiteral("drives/f/messagerie/boites.db"), "x");
    QDir().mkpath(store() + QStringLiteral("/vide"));
}

void TestSuppMail::window()
{
    SuppMail *dialog = open();
    QVERIFY(dialog);
    QCOMPARE(dialog->objectName(), QStringLiteral("suppmail"));
    QCOMPARE(dialog->windowTitle(), QStringLiteral("Vider les boites mail"));
    QVERIFY(!dialog->parentWidget());
    QVERIFY(dialog->windowFlags() & Qt::Tool);
    QCOMPARE(dialog->size(), QSize(363, 63));
    QCOMPARE(dialog->minimumSize(), dialog->maximumSize());

    struct Place
    {
        const char *name;
        QRect rect;
        QString text;
    };
    const QList<Place> places = {
        {"Label1", QRect(40, 8, 137, 17), QStringLiteral("Chemin de la messagerie :")},
        {"txt_chem", QRect(168, 8, 161, 19), QStringLiteral("f:\\messagerie")},
        {"cmd_efface", QRect(56, 40, 81, 17), QStringLiteral("Effacer")},
        {"cmd_annul", QRect(216, 40, 89, 17), QStringLiteral("Annuler")},
    };
    for (const Place &p : places) {
        QWidget *w = dialog->findChild<QWidget *>(QString::fromLatin1(p.name));
        QVERIFY2(w, p.name);
        // A label keeps its row; it may grow to show its whole text, and move left to keep clear of the box.
        if (qobject_cast<QLabel *>(w))
            QVERIFY(w->y() == p.rect.y() && w->x() <= p.rect.x());
        else
            QCOMPARE(w->geometry(), p.rect);
        QCOMPARE(w->property("text").toString(), p.text);
    }
    QVERIFY(dialog->findChild<QLabel *>(QStringLiteral("Label1"))->geometry().right()
        < dialog->findChild<QLineEdit *>(QStringLiteral("txt_chem"))->x());
    QCOMPARE(dialog->findChild<QLineEdit *>(QStringLiteral("txt_chem"))->accessibleName(),
        QStringLiteral("Chemin de la messagerie :"));
}

void TestSuppMail::commandLines()
{
    open()->findChild<QLineEdit *>(QStringLiteral("txt_chem"))->setText(QStringLiteral("g:\\mail\\boites"));
    click("cmd_efface");
    QCOMPARE(
        m_shell.lines(), (QStringList {u"cmd.exe /c rd /s/q g:\\mail\\boites"_s, u"cmd.exe /c md g:\\mail\\boites"_s}));
    // The folder is made again only once the removal has ended.
    for (const RecordingShell::Started &s : std::as_const(m_shell.started)) {
        QCOMPARE(s.style, WindowStyle::Minimized);
        QVERIFY(s.waited);
    }
    QVERIFY(m_prompts.shown.isEmpty());
    QCOMPARE(journalled(), QStringList {u"vidage des boites mail ; g:\\mail\\boites ; fait"_s});
    QTRY_VERIFY(!m_dialog);
}

void TestSuppMail::storeIsEmptyAfterwards_data()
{
    QTest::addColumn<bool>("filled");
    QTest::newRow("full store") << true;
    QTest::newRow("no store yet") << false;
}

void TestSuppMail::storeIsEmptyAfterwards()
{
    QFETCH(bool, filled);
    m_folder->installPrograms();
    QVERIFY2(m_folder->exists(QStringLiteral("cmd")), "the interpreter is built into the program folder");
    ProcessShell real(m_folder->paths());
    m_shellSwitch.switchTo(real);
    if (filled)
        fillStore();
    m_folder->writeFile(QStringLiteral("drives/f/voisin.txt"), "garder");

    open();
    click("cmd_efface");
    QVERIFY(QFileInfo(store()).isDir());
    QVERIFY(QDir(store()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot).isEmpty());
    QVERIFY(QFile::exists(m_folder->drive(QStringLiteral("F")) + QStringLiteral("/voisin.txt")));
    QVERIFY(m_prompts.shown.isEmpty());
    QTRY_VERIFY(!m_dialog);
}

void TestSuppMail::cancelLeavesTheStore()
{
    fillStore();
    open();
    click("cmd_annul");
    QTRY_VERIFY(!m_dialog);
    QVERIFY(m_shell.started.isEmpty());
    QVERIFY(QFile::exists(store() + QStringLiteral("/dupont/inbox/1.eml")));
    QVERIFY(QFile::exists(store() + QStringLiteral("/boites.db")));
}

void TestSuppMail::refusesDriveRootOrEmptyPath_data()
{
    QTest::addColumn<QString>("path");
    QTest::newRow("empty") << "";
    QTest::newRow("drive") << "f:";
    QTest::newRow("drive root") << "f:\\";
    QTest::newRow("climbing back to the root") << "f:\\messagerie\\..\\.";
}

void TestSuppMail::refusesDriveRootOrEmptyPath()
{
    QFETCH(QString, path);
    fillStore();
    open()->findChild<QLineEdit *>(QStringLiteral("txt_chem"))->setText(path);
    click("cmd_efface");
    QVERIFY(m_shell.started.isEmpty());
    QCOMPARE(m_prompts.messages(),
        QStringList {QStringLiteral("Le chemin de la messagerie doit être un dossier, pas la "
                                    "racine d'un lecteur : rien n'a été effacé.")});
    QVERIFY(m_dialog);
}

void TestSuppMail::removalThatCannotStart()
{
    m_shell.refusedPrefixes << QStringLiteral("cmd.exe /c rd");
    open();
    click("cmd_efface");
    QCOMPARE(m_shell.lines(), QStringList {u"cmd.exe /c rd /s/q f:\\messagerie"_s});
    QCOMPARE(m_prompts.messages(),
        QStringList {QStringLiteral("Les boites mail de f:\\messagerie n'ont pas pu être vidées.\rImpossible de "
                                    "lancer : cmd.exe /c rd /s/q f:\\messagerie")});
    QCOMPARE(journalled(),
        QStringList {u"vidage des boites mail ; f:\\messagerie ; échec : Impossible de lancer : cmd.exe /c rd /s/q "
                     "f:\\messagerie"_s});
    QVERIFY(m_dialog);
}

QTEST_MAIN(TestSuppMail)
#include "tst_suppmail.moc"
