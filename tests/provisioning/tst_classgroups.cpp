#include "provisioning/provisioningpanel.h"
#include "provisioningfixture.h"
#include "support/policydirectory.h"

#include <QCheckBox>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <memory>

// Step 1, "Créer les groupes": fixed groups, class groups, logon scripts, folders and the starts of
// public.bat and partage.bat, with the embedded store and a recording shell.
class TestClassGroups : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void fourPupilsOfTwoClasses();
    void emptyFile();
    void unreadableFile_data();
    void unreadableFile();
    void classesAsRead();
    void boxesClearedMakeNoRootFolders();
    void classLeavingItsFolder();
    void runTwice();
    void pupilsPasswordPolicy();

private:
    std::unique_ptr<PanelFixture> f;
    ProvisioningPanel *p = nullptr;

    void writePupils(const QStringList &lines);
    QString prog(const QString &rest) const { return f->folder.path() + rest; }
};

void TestClassGroups::init()
{
    f = std::make_unique<PanelFixture>();
    p = f->panel;
}

void TestClassGroups::cleanup()
{
    f.reset();
}

void TestClassGroups::writePupils(const QStringList &lines)
{
    f->write(QStringLiteral("C:\\ORVO.txt"), pupilFileBytes(lines));
}

void TestClassGroups::fourPupilsOfTwoClasses()
{
    writePupils({QStringLiteral("DUPONT,Jean,TS8"), QStringLiteral("MARTIN,Paul,TS8"),
        QStringLiteral("DURAND,Anne,TS8"), QStringLiteral("PETIT,Luc,1S2")});
    p->check1->click();
    p->check3->click();
    QStringList captions;
    f->shell.onStart = [&](const QString &) { captions << p->cmdCreergrp->text(); };
    p->cmdCreergrp->click();

    QCOMPARE(f->globalGroups(),
        (QStringList {
            QStringLiteral("1S2"), QStringLiteral("eleves"), QStringLiteral("profs"), QStringLiteral("TS8")}));
    for (const QString &g : {QStringLiteral("eleves"), QStringLiteral("profs"), QStringLiteral("TS8")})
        QCOMPARE(
            f->property(f->ads(u'/' + g + QStringLiteral(",group")), DirProperty::GroupType).toInt(), globalGroupType);

    QCOMPARE(f->folder.readFile(QStringLiteral("scripts/TS8.bat")),
        QByteArray("net use u: \\\\SERVEUR1\\TS8\r\nnet use m: \\\\SERVEUR1\\matieres\r\n"));
    QCOMPARE(f->folder.readFile(QStringLiteral("scripts/1S2.bat")),
        QByteArray("net use u: \\\\SERVEUR1\\1S2\r\nnet use m: \\\\SERVEUR1\\matieres\r\n"));
    QCOMPARE(QDir(f->folder.path() + QStringLiteral("/scripts")).entryList(QDir::Files),
        (QStringList {QStringLiteral("1S2.bat"), QStringLiteral("TS8.bat")}));

    QStringList expected;
    for (const QString &c :
        {QStringLiteral("TS8"), QStringLiteral("TS8"), QStringLiteral("TS8"), QStringLiteral("1S2")})
        expected << prog(QStringLiteral("\\public.bat E:\\Public\\") + c + u' ' + c)
                 << prog(QStringLiteral("\\partage.bat public E:\\Public /unlimited"))
                 << prog(QStringLiteral("\\partage.bat matieres E:\\Matieres /unlimited"));
    QCOMPARE(f->shell.lines(), expected);
    for (const RecordingShell::Started &s : std::as_const(f->shell.started))
        QVERIFY(s.style == WindowStyle::Minimized && !s.waited);

    for (const QString &folder : {QStringLiteral("E:\\Public"), QStringLiteral("E:\\Perso"),
             QStringLiteral("E:\\Perso\\profs"), QStringLiteral("E:\\Perso\\eleves"),
             QStringLiteral("E:\\Perso\\eleves\\TS8"), QStringLiteral("E:\\Perso\\eleves\\1S2"),
             QStringLiteral("E:\\Public\\TS8"), QStringLiteral("E:\\Public\\1S2")})
        QVERIFY2(f->folderExists(folder), qPrintable(folder));

    QCOMPARE(captions, QStringList(12, QStringLiteral("En cours ...")));
    QCOMPARE(p->cmdCreergrp->text(), QStringLiteral("Créer les groupes"));
    QVERIFY(f->prompts.shown.isEmpty());
}

void TestClassGroups::emptyFile()
{
    writePupils({});
    p->check1->click();
    p->check3->click();
    p->cmdCreergrp->click();
    QCOMPARE(f->globalGroups(), (QStringList {QStringLiteral("eleves"), QStringLiteral("profs")}));
    QVERIFY(f->folder.exists(QStringLiteral("scripts")));
    QVERIFY(f->folderExists(QStringLiteral("E:\\Public")));
    QVERIFY(f->folderExists(QStringLiteral("E:\\Perso\\eleves")));
    QVERIFY(f->shell.started.isEmpty());
    QVERIFY(f->prompts.shown.isEmpty());
}

void TestClassGroups::unreadableFile_data()
{
    QTest::addColumn<QString>("path");
    QTest::newRow("missing") << "C:\\ORVO.txt";
    QTest::newRow("a folder") << "C:\\";
    QTest::newRow("empty box") << "";
}

void TestClassGroups::unreadableFile()
{
    QFETCH(QString, path);
    p->txtOrvo->setText(path);
    p->check3->click();
    p->cmdCreergrp->click();

    // The fixed groups and folders are made, nothing else, and the administrator is told once.
    QCOMPARE(f->globalGroups(), (QStringList {QStringLiteral("eleves"), QStringLiteral("profs")}));
    QVERIFY(f->folderExists(QStringLiteral("E:\\Perso\\profs")));
    QVERIFY(f->shell.started.isEmpty());
    QCOMPARE(f->prompts.messages().size(), 1);
    QVERIFY2(f->prompts.messages()[0].contains(QStringLiteral("fichier des élèves convertis : ") + path + u'.'),
        qPrintable(f->prompts.messages()[0]));
    QCOMPARE(p->cmdCreergrp->text(), QStringLiteral("Créer les groupes"));
}

void TestClassGroups::classesAsRead()
{
    // Quoted fields lose their quotes; case and spaces stay in the group, the script and the folders.
    writePupils({QStringLiteral("\"DUPONT, fils\",Jean,2nde a")});
    p->check1->click();
    p->check3->click();
    p->cmdCreergrp->click();
    QVERIFY(f->globalGroups().contains(QStringLiteral("2nde a")));
    QCOMPARE(f->folder.readFile(QStringLiteral("scripts/2nde a.bat")),
        QByteArray("net use u: \\\\SERVEUR1\\2nde a\r\nnet use m: \\\\SERVEUR1\\matieres\r\n"));
    QVERIFY(QFileInfo(f->folder.drive(QStringLiteral("E")) + QStringLiteral("/Perso/eleves/2nde a")).isDir());
    QVERIFY(QFileInfo(f->folder.drive(QStringLiteral("E")) + QStringLiteral("/Public/2nde a")).isDir());
    QCOMPARE(f->shell.lines().first(), prog(QStringLiteral("\\public.bat E:\\Public\\2nde a 2nde a")));
}

void TestClassGroups::boxesClearedMakeNoRootFolders()
{
    writePupils({QStringLiteral("DUPONT,Jean,TS8")});
    p->cmdCreergrp->click();
    // Without their parents the class folders cannot be made; the scripts still start.
    QVERIFY(QDir(f->folder.drive(QStringLiteral("E"))).isEmpty());
    QCOMPARE(f->shell.started.size(), 3);
    QVERIFY(f->globalGroups().contains(QStringLiteral("TS8")));
}

void TestClassGroups::classLeavingItsFolder()
{
    // Names Windows could not give a folder as written are refused the same way.
    writePupils({QStringLiteral("X,Y,..\\..\\..\\drives\\c\\pris"), QStringLiteral("X,Y,..\\scripts2"),
        QStringLiteral("X,Y,.."), QStringLiteral("X,Y,a/b"), QStringLiteral("X,Y,A:B"), QStringLiteral("X,Y,TS9."),
        QStringLiteral("DUPONT,Jean,TS8")});
    p->check1->click();
    p->check3->click();
    p->cmdCreergrp->click();

    // Only TS8 gets a script, folders and starts; nothing appears outside the roots.
    QCOMPARE(QDir(f->folder.path() + QStringLiteral("/scripts")).entryList(QDir::Files),
        QStringList {QStringLiteral("TS8.bat")});
    QCOMPARE(QDir(f->folder.path())
                 .entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot)
                 .filter(QStringLiteral("pris")),
        QStringList {});
    QCOMPARE(QDir(f->folder.drive(QStringLiteral("C"))).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
        QStringList {QStringLiteral("ORVO.txt")});
    QCOMPARE(QDir(f->folder.drive(QStringLiteral("E"))).entryList(QDir::Dirs | QDir::NoDotAndDotDot),
        (QStringList {QStringLiteral("Perso"), QStringLiteral("Public")}));
    QCOMPARE(QDir(f->host(QStringLiteral("E:\\Public"))).entryList(QDir::Dirs | QDir::NoDotAndDotDot),
        QStringList {QStringLiteral("TS8")});
    QCOMPARE(QDir(f->host(QStringLiteral("E:\\Perso\\eleves"))).entryList(QDir::Dirs | QDir::NoDotAndDotDot),
        QStringList {QStringLiteral("TS8")});
    QCOMPARE(f->shell.started.size(), 3);
    QVERIFY(f->shell.lines().first().endsWith(QStringLiteral("\\public.bat E:\\Public\\TS8 TS8")));
    QVERIFY(f->prompts.shown.isEmpty());
}

void TestClassGroups::runTwice()
{
    writePupils({QStringLiteral("DUPONT,Jean,TS8")});
    p->check3->click();
    p->cmdCreergrp->click();
    f->folder.writeFile(QStringLiteral("scripts/TS8.bat"), "autre chose\r\n");
    p->cmdCreergrp->click();
    // Existing groups and folders are left alone, the script is written again, the scripts restart.
    QCOMPARE(
        f->globalGroups(), (QStringList {QStringLiteral("eleves"), QStringLiteral("profs"), QStringLiteral("TS8")}));
    QCOMPARE(f->folder.readFile(QStringLiteral("scripts/TS8.bat")),
        QByteArray("net use u: \\\\SERVEUR1\\TS8\r\nnet use m: \\\\SERVEUR1\\matieres\r\n"));
    QCOMPARE(f->shell.started.size(), 6);
}

void TestClassGroups::pupilsPasswordPolicy()
{
    PolicyDirectory domain(*f->directory);
    f->directorySwitch.switchTo(domain);
    writePupils({QStringLiteral("DUPONT,Jean,TS8")});
    p->cmdCreergrp->click();

    // Asked for once, for eleves, with what the generated passwords need.
    QCOMPARE(domain.ensured.size(), 1);
    QCOMPARE(domain.ensured[0].first, QStringLiteral("eleves"));
    const PasswordPolicy &asked = domain.ensured[0].second;
    QCOMPARE(asked.minimumLength, 6);
    QVERIFY(!asked.complexity);
    QCOMPARE(asked.historyLength, 0);
    QCOMPARE(asked.minimumAge, std::chrono::seconds(0));
    QCOMPARE(asked.maximumAge, std::chrono::seconds(0));
    QVERIFY(f->prompts.shown.isEmpty());

    // When it cannot be made, the step goes on and says so at once.
    domain.ensureFailure = Status::failure(QStringLiteral("droits insuffisants dans l'annuaire."));
    f->shell.started.clear();
    p->cmdCreergrp->click();
    QCOMPARE(f->prompts.messages(),
        QStringList {QStringLiteral("La stratégie de mots de passe des élèves n'a pas pu être créée : droits "
                                    "insuffisants dans l'annuaire.\rSans elle, le domaine refusera peut-être "
                                    "leurs mots de passe.")});
    QCOMPARE(f->shell.started.size(), 3);
}

QTEST_MAIN(TestClassGroups)
#include "tst_classgroups.moc"
