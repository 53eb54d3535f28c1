// The dialog "Vérification avant la création des utilisateurs" on the embedded store: the whole check
// through the dialog, then what it says when it cannot check or cannot save its report.
#include "provisioning/pupilfile.h"
#include "provisioning/verifeleves.h"
#include "provisioningfixture.h"
#include "pupilcheckfixture.h"
#include "support/unreachabledirectory.h"

#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

using namespace Qt::StringLiterals;

class TestVerifEleves : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void throughTheDialog();
    void cannotCheck_data();
    void cannotCheck();
    void reportNotSaved_data();
    void reportNotSaved();
    void anotherFileReplacesTheRows();
};

void TestVerifEleves::throughTheDialog()
{
    PanelFixture f;
    checkPupilFileThroughTheDialog(f);
}

void TestVerifEleves::cannotCheck_data()
{
    QTest::addColumn<bool>("reachable");
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("message");

    QTest::newRow("file missing") << true << "C:\\ABSENT.txt" << PupilFile::unreadableMessage(u"C:\\ABSENT.txt"_s);
    QTest::newRow("no file named") << true << "" << PupilFile::unreadableMessage(u""_s);
    QTest::newRow("directory out of reach")
        << false << "C:\\ORVO.txt"
        << "L'annuaire n'a pas pu être lu : Le contrôleur de domaine ne répond pas.";
}

void TestVerifEleves::cannotCheck()
{
    QFETCH(bool, reachable);
    QFETCH(QString, file);
    QFETCH(QString, message);
    PanelFixture f(reachable
            ? nullptr
            : std::make_unique<UnreachableDirectory>(QStringLiteral("Le contrôleur de domaine ne répond pas.")));
    f.write(QStringLiteral("C:\\ORVO.txt"), pupilFileBytes({QStringLiteral("MARTIN,Paul,TS8")}));
    VerifEleves dialog(f.services);

    // A check that worked, then one that cannot: the table does not keep the rows of the first.
    if (reachable) {
        dialog.cmdVerifier->click();
        QCOMPARE(dialog.rows().size(), 1);
    }
    f.prompts.clear();
    dialog.txtOrvo->setText(file);
    dialog.cmdVerifier->click();
    QCOMPARE(f.prompts.messages(), QStringList {message});
    QCOMPARE(dialog.lstVerif->rowCount(), 0);
    QCOMPARE(dialog.lblResume->text(), QString());
    QVERIFY(!dialog.cmdRapport->isEnabled());
    QCOMPARE(dialog.cmdVerifier->text(), QStringLiteral("Vérifier"));
}

void TestVerifEleves::reportNotSaved_data()
{
    QTest::addColumn<QString>("volume");
    QTest::addColumn<QString>("message");

    QTest::newRow("no system volume")
        << ""
        << "Le rapport n'a pas été enregistré : le volume système n'est pas renseigné dans les paramètres.";
    // The volume names a file: no folder holds the report.
    QTest::newRow("no folder to write into") << "C:\\ORVO.txt"
                                             << "Le rapport n'a pas pu être enregistré dans le fichier "
                                                "C:\\ORVO.txt\\verification.csv\r";
}

void TestVerifEleves::reportNotSaved()
{
    QFETCH(QString, volume);
    QFETCH(QString, message);
    PanelFixture f;
    f.write(QStringLiteral("C:\\ORVO.txt"), pupilFileBytes({QStringLiteral("MARTIN,Paul,TS8")}));
    f.main.volume = volume;
    const QStringList before = folderSnapshot(f.folder.path());

    VerifEleves dialog(f.services);
    dialog.cmdVerifier->click();
    dialog.cmdRapport->click();
    QCOMPARE(f.prompts.messages().size(), 1);
    // The message names the file, then says why.
    QVERIFY2(f.prompts.messages().first().startsWith(message), qPrintable(f.prompts.messages().first()));
    QVERIFY(f.prompts.messages().first().size() > message.size() || volume.isEmpty());
    QCOMPARE(folderSnapshot(f.folder.path()), before);
}

void TestVerifEleves::anotherFileReplacesTheRows()
{
    PanelFixture f;
    f.write(QStringLiteral("C:\\ORVO.txt"), pupilFileBytes({QStringLiteral("MARTIN,Paul,TS8")}));
    f.write(QStringLiteral("D:\\autre.txt"),
        pupilFileBytes({QStringLiteral("DURAND,Léa,1S2"), QStringLiteral("ROUX,Inès,1S2")}));
    VerifEleves dialog(f.services);
    dialog.cmdVerifier->click();
    QCOMPARE(dialog.rows().size(), 1);
    dialog.txtOrvo->setText(QStringLiteral("D:\\autre.txt"));
    dialog.cmdVerifier->click();
    QCOMPARE(dialog.rows().size(), 2);
    QCOMPARE(dialog.rows().at(1).login, QStringLiteral("1S2ROUXInès"));
    QCOMPARE(dialog.lstVerif->rowCount(), 2);
    QCOMPARE(dialog.lblResume->text(), QStringLiteral("2 élèves : 0 sans problème, 2 avec un problème."));
    // The main window's box is left as it was.
    QCOMPARE(f.main.pupilFile(), QStringLiteral("C:\\ORVO.txt"));
}

QTEST_MAIN(TestVerifEleves)
#include "tst_verifeleves.moc"
