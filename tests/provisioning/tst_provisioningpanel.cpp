#include "provisioning/provisioningpanel.h"
#include "provisioningfixture.h"

#include <QCheckBox>
#include <QDir>
#include <QDirIterator>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>

#include <memory>

// The panel's own behaviour: which controls the check boxes enable, the subject list with its file
// "matieres.txt", and step 2, "Créer les répertoires des matières".
class TestProvisioningPanel : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void startState();
    void enablingRules_data();
    void enablingRules();

    void tickReadsEveryLineOfTheFile();
    void missingFileLeavesTheListAsItIs();
    void clearingDiscardsUnsavedSubjects();
    void emptyListSavesAnEmptyFile();
    void addAsksForTheName();
    void remove_data();
    void remove();
    void removeChoiceStaysEnabled();

    void subjectFolders_data();
    void subjectFolders();
    void subjectFoldersCaption();
    void stepsRefuseSharesThatWouldNotBeServed_data();
    void stepsRefuseSharesThatWouldNotBeServed();

private:
    std::unique_ptr<PanelFixture> f;
    ProvisioningPanel *p = nullptr;

    QStringList entries() const;
    void tickSubjects(const QStringList &saved);
};

void TestProvisioningPanel::init()
{
    f = std::make_unique<PanelFixture>();
    p = f->panel;
}

void TestProvisioningPanel::cleanup()
{
    f.reset();
}

QStringList TestProvisioningPanel::entries() const
{
    QStringList texts;
    for (int i = 0; i < p->matiere->count(); ++i)
        texts << p->matiere->item(i)->text();
    return texts;
}

void TestProvisioningPanel::tickSubjects(const QStringList &saved)
{
    QByteArray bytes;
    for (const QString &s : saved)
        bytes += s.toLatin1() + "\r\n";
    f->folder.writeFile(QStringLiteral("matieres.txt"), bytes);
    p->check2->click();
}

void TestProvisioningPanel::startState()
{
    for (QWidget *on :
        std::initializer_list<QWidget *> {p->check1, p->check2, p->check3, p->txtOrvo, p->cmdCreergrp, p->cmdCreerutil})
        QVERIFY2(on->isEnabled(), qPrintable(on->objectName()));
    for (QWidget *off : std::initializer_list<QWidget *> {
             p->txtPublic, p->txtMatiere, p->txtPerso, p->matiere, p->matmoins, p->matplus, p->sauv, p->cmdCreerrep})
        QVERIFY2(!off->isEnabled(), qPrintable(off->objectName()));
    QVERIFY(p->bar1->isHidden());
    QCOMPARE(p->txtOrvo->text(), QStringLiteral("C:\\ORVO.txt"));
}

void TestProvisioningPanel::enablingRules_data()
{
    // Clicks on the boxes, as "1", "2", "3" in order, then the enabled state of cmd_creerrep,
    // txt_public, txt_matiere (with matiere, matplus, sauv) and txt_perso.
    QTest::addColumn<QString>("clicks");
    QTest::addColumn<QList<bool>>("expected");

    QTest::newRow("public ticked") << "1" << QList<bool> {true, true, false, false};
    QTest::newRow("public ticked and cleared") << "11" << QList<bool> {false, false, false, false};
    QTest::newRow("subjects ticked") << "2" << QList<bool> {true, false, true, false};
    QTest::newRow("subjects ticked and cleared") << "22" << QList<bool> {false, false, false, false};
    QTest::newRow("homes ticked") << "3" << QList<bool> {true, false, false, true};
    QTest::newRow("homes ticked and cleared") << "33" << QList<bool> {false, false, false, false};
    QTest::newRow("public cleared, homes still ticked") << "131" << QList<bool> {true, false, false, true};
    QTest::newRow("subjects cleared, public still ticked") << "122" << QList<bool> {true, true, false, false};
    QTest::newRow("homes cleared, subjects still ticked") << "233" << QList<bool> {true, false, true, false};
    QTest::newRow("all ticked") << "123" << QList<bool> {true, true, true, true};
    QTest::newRow("all ticked then all cleared") << "123312" << QList<bool> {false, false, false, false};
}

void TestProvisioningPanel::enablingRules()
{
    QFETCH(QString, clicks);
    QFETCH(QList<bool>, expected);
    for (QChar c : clicks)
        (c == u'1' ? p->check1 : c == u'2' ? p->check2 : p->check3)->click();
    QCOMPARE(p->cmdCreerrep->isEnabled(), expected[0]);
    QCOMPARE(p->txtPublic->isEnabled(), expected[1]);
    for (QWidget *w : std::initializer_list<QWidget *> {p->txtMatiere, p->matiere, p->matplus, p->sauv})
        QCOMPARE(w->isEnabled(), expected[2]);
    QCOMPARE(p->txtPerso->isEnabled(), expected[3]);
    // Nothing the boxes do touches these.
    QVERIFY(p->cmdCreergrp->isEnabled() && p->cmdCreerutil->isEnabled() && p->txtOrvo->isEnabled());
    QVERIFY(!p->matmoins->isEnabled());
}

void TestProvisioningPanel::tickReadsEveryLineOfTheFile()
{
    // Each line is one subject, whatever it holds: commas, quotes, leading spaces, an empty line.
    f->folder.writeFile(
        QStringLiteral("matieres.txt"), QByteArray("Maths\r\nHistoire, g\xe9ographie\r\n\r\n  \"SVT\"\r\nEPS\r\n"));
    p->check2->click();
    QCOMPARE(entries(),
        (QStringList {QStringLiteral("Maths"), QStringLiteral("Histoire, géographie"), QString(),
            QStringLiteral("  \"SVT\""), QStringLiteral("EPS")}));
    QVERIFY(f->prompts.shown.isEmpty());
}

void TestProvisioningPanel::missingFileLeavesTheListAsItIs()
{
    p->check2->click();
    QVERIFY(entries().isEmpty());
    QVERIFY(p->cmdCreerrep->isEnabled());
    QVERIFY(p->matplus->isEnabled());
    QVERIFY(f->prompts.shown.isEmpty());
}

void TestProvisioningPanel::clearingDiscardsUnsavedSubjects()
{
    tickSubjects({QStringLiteral("Maths")});
    f->prompts.answerInput(QStringLiteral("Physique"));
    f->prompts.answerInput(QStringLiteral("Chimie"));
    p->matplus->click();
    p->matplus->click();
    QCOMPARE(entries(), (QStringList {QStringLiteral("Maths"), QStringLiteral("Physique"), QStringLiteral("Chimie")}));

    p->check2->click();
    QVERIFY(entries().isEmpty());
    p->check2->click();
    QCOMPARE(entries(), QStringList {QStringLiteral("Maths")});

    // Saved, they come back; the file holds them in list order, CR LF, in the ANSI code page.
    f->prompts.answerInput(QStringLiteral("Sciences économiques"));
    p->matplus->click();
    p->sauv->click();
    QCOMPARE(f->folder.readFile(QStringLiteral("matieres.txt")), QByteArray("Maths\r\nSciences \xe9\x63onomiques\r\n"));
    p->check2->click();
    p->check2->click();
    QCOMPARE(entries(), (QStringList {QStringLiteral("Maths"), QStringLiteral("Sciences économiques")}));
}

void TestProvisioningPanel::emptyListSavesAnEmptyFile()
{
    tickSubjects({QStringLiteral("Maths")});
    p->matiere->setCurrentRow(0);
    p->matmoins->click();
    p->sauv->click();
    QVERIFY(f->folder.exists(QStringLiteral("matieres.txt")));
    QCOMPARE(f->folder.readFile(QStringLiteral("matieres.txt")), QByteArray());
    p->check2->click();
    p->check2->click();
    QVERIFY(entries().isEmpty());
}

void TestProvisioningPanel::addAsksForTheName()
{
    p->check2->click();
    f->prompts.answerInput(QStringLiteral("Arts plastiques"));
    f->prompts.answerInput(std::nullopt); // "Annuler"
    f->prompts.answerInput(QString());
    p->matplus->click();
    p->matplus->click();
    p->matplus->click();
    QCOMPARE(entries(), (QStringList {QStringLiteral("Arts plastiques"), QString(), QString()}));
    QCOMPARE(f->prompts.shown.size(), 3);
    QCOMPARE(f->prompts.shown[0].kind, QStringLiteral("input"));
    QCOMPARE(f->prompts.shown[0].text, QStringLiteral("Nom de la matière à ajouter:"));
    QCOMPARE(f->prompts.shown[0].title, QString()); // the program's name shows
}

void TestProvisioningPanel::remove_data()
{
    QTest::addColumn<QStringList>("before");
    QTest::addColumn<int>("chosen"); // -1: nothing chosen
    QTest::addColumn<QStringList>("after");

    const QString a = QStringLiteral("A"), b = QStringLiteral("B"), c = QStringLiteral("C");
    QTest::newRow("the chosen one") << QStringList {a, b, c} << 1 << QStringList {a, c};
    QTest::newRow("duplicate: the later goes, even with the earlier chosen")
        << QStringList {a, b, a, c} << 0 << QStringList {a, b, c};
    QTest::newRow("nothing chosen: the first goes") << QStringList {a, b} << -1 << QStringList {b};
    QTest::newRow("nothing chosen: the last empty entry goes")
        << QStringList {a, QString(), b, QString()} << -1 << QStringList {a, QString(), b};
    QTest::newRow("empty list") << QStringList {} << -1 << QStringList {};
}

void TestProvisioningPanel::remove()
{
    QFETCH(QStringList, before);
    QFETCH(int, chosen);
    QFETCH(QStringList, after);
    p->check2->click();
    p->matiere->addItems(before);
    if (chosen >= 0)
        p->matiere->setCurrentRow(chosen);
    p->matmoins->setEnabled(true);
    p->matmoins->click();
    QCOMPARE(entries(), after);
}

void TestProvisioningPanel::removeChoiceStaysEnabled()
{
    tickSubjects({QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("A")});
    QVERIFY(!p->matmoins->isEnabled());
    p->matiere->setCurrentRow(0);
    QVERIFY(p->matmoins->isEnabled());
    p->matmoins->click();
    // The chosen entry stayed: its later twin went.
    QCOMPARE(entries(), (QStringList {QStringLiteral("A"), QStringLiteral("B")}));
    QCOMPARE(p->matiere->selectedItems().value(0), p->matiere->item(0));
    p->matmoins->click();
    p->check2->click();
    QVERIFY(p->matmoins->isEnabled());
}

void TestProvisioningPanel::subjectFolders_data()
{
    QTest::addColumn<bool>("subjectsTicked");
    QTest::addColumn<QStringList>("subjects");
    QTest::addColumn<QStringList>("folders");
    QTest::addColumn<QStringList>("lines"); // "%P" stands for the program folder

    const QString share = QStringLiteral("cmd.exe /c net share Matieres=E:\\Matieres /unlimited");
    QTest::newRow("subjects not ticked: only the share")
        << false << QStringList {} << QStringList {} << QStringList {share};
    QTest::newRow("empty list: the folder and the share")
        << true << QStringList {} << QStringList {QStringLiteral("E:\\Matieres")} << QStringList {share};
    QTest::newRow("subjects, spaces unquoted, empty entry")
        << true << QStringList {QStringLiteral("Maths"), QStringLiteral("Arts plastiques"), QString()}
        << QStringList {QStringLiteral("E:\\Matieres"), QStringLiteral("E:\\Matieres\\Maths"),
               QStringLiteral("E:\\Matieres\\Arts plastiques")}
        << QStringList {QStringLiteral("%P\\matiere.bat E:\\Matieres\\Maths Maths"),
               QStringLiteral("%P\\matiere.bat E:\\Matieres\\Arts plastiques Arts plastiques"),
               QStringLiteral("%P\\matiere.bat E:\\Matieres\\ "), share};
    QTest::newRow("a subject climbing out gets nothing")
        << true << QStringList {QStringLiteral("..\\..\\C:"), QStringLiteral("Maths/Physique"), QStringLiteral("SVT")}
        << QStringList {QStringLiteral("E:\\Matieres"), QStringLiteral("E:\\Matieres\\SVT")}
        << QStringList {QStringLiteral("%P\\matiere.bat E:\\Matieres\\SVT SVT"), share};
    // Nor does one that Windows would refuse as a folder name, or name otherwise.
    QTest::newRow("a subject Windows cannot name gets nothing")
        << true << QStringList {QStringLiteral("Maths?"), QStringLiteral("SVT.")}
        << QStringList {QStringLiteral("E:\\Matieres")} << QStringList {share};
}

void TestProvisioningPanel::subjectFolders()
{
    QFETCH(bool, subjectsTicked);
    QFETCH(QStringList, subjects);
    QFETCH(QStringList, folders);
    QFETCH(QStringList, lines);

    if (subjectsTicked)
        p->check2->click();
    else
        p->check1->click();
    // Added, not saved: the list is the source, not the file.
    p->matiere->addItems(subjects);
    p->cmdCreerrep->click();

    QStringList expected;
    for (QString line : lines)
        expected << line.replace(QStringLiteral("%P"), f->folder.path());
    QCOMPARE(f->shell.lines(), expected);
    for (const RecordingShell::Started &s : std::as_const(f->shell.started))
        QVERIFY(s.style == WindowStyle::Minimized && !s.waited);
    for (const QString &folder : folders)
        QVERIFY2(f->folderExists(folder), qPrintable(folder));
    if (folders.isEmpty())
        QVERIFY(!f->folderExists(QStringLiteral("E:\\Matieres")));
    // Nothing outside the subjects folder.
    QCOMPARE(QDir(f->folder.drive(QStringLiteral("E"))).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
        folders.isEmpty() ? QStringList {} : QStringList {QStringLiteral("Matieres")});
    QVERIFY(QDir(f->folder.drive(QStringLiteral("C"))).isEmpty());
    QVERIFY(f->prompts.shown.isEmpty());
}

void TestProvisioningPanel::subjectFoldersCaption()
{
    QStringList captions;
    f->shell.onStart = [&](const QString &) { captions << p->cmdCreerrep->text(); };
    p->check2->click();
    p->matiere->addItems({QStringLiteral("Maths")});
    p->txtMatiere->setText(QStringLiteral("F:\\Mat"));
    p->cmdCreerrep->click();
    QCOMPARE(captions, (QStringList {QStringLiteral("En cours ..."), QStringLiteral("En cours ...")}));
    QCOMPARE(p->cmdCreerrep->text(), QStringLiteral("Créer les répertoires des matières"));
    // The box is read when the button is clicked.
    QCOMPARE(f->shell.lines().last(), QStringLiteral("cmd.exe /c net share Matieres=F:\\Mat /unlimited"));
    QVERIFY(f->folderExists(QStringLiteral("F:\\Mat\\Maths")));
}

void TestProvisioningPanel::stepsRefuseSharesThatWouldNotBeServed_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("outcome");
    QTest::newRow("step 1") << "cmd_creergrp"
                            << "Aucun groupe ni dossier n'a été créé.";
    QTest::newRow("step 2") << "cmd_creerrep"
                            << "Aucun dossier n'a été créé.";
    QTest::newRow("step 3") << "cmd_creerutil"
                            << "Aucun compte n'a été créé.";
}

void TestProvisioningPanel::stepsRefuseSharesThatWouldNotBeServed()
{
    QFETCH(QString, button);
    QFETCH(QString, outcome);
    const QString reason
        = QStringLiteral("Samba ne sert pas les partages : ajoutez la ligne « registry shares = yes ».");
    f->shell.sharesServed = Status::failure(reason);
    f->write(QStringLiteral("C:\\ORVO.txt"), pupilFileBytes({QStringLiteral("MARTIN,Paul,TS8")}));
    p->check1->click();
    p->check2->click();
    p->check3->click();
    p->matiere->addItems({QStringLiteral("Maths")});
    const auto everything = [&] {
        QStringList all;
        QDirIterator it(
            f->folder.path(), QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDirIterator::Subdirectories);
        while (it.hasNext())
            all << it.next();
        all.sort();
        return all;
    };
    const QStringList before = everything();

    f->window.findChild<QPushButton *>(button)->click();

    QCOMPARE(f->prompts.messages(), QStringList {reason + u'\r' + outcome});
    // Asked once, and nothing written: no line started, no file, no group, no account.
    QCOMPARE(f->shell.shareChecks, 1);
    QCOMPARE(f->shell.started.size(), 0);
    QCOMPARE(everything(), before);
    QCOMPARE(f->globalGroups(), QStringList());
    QCOMPARE(f->users(), QStringList());
}

QTEST_MAIN(TestProvisioningPanel)
#include "tst_provisioningpanel.moc"
