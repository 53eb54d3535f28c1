// From the raw pupil export to accounts, folders and shares: trivo's conversion, then steps 1, 2 and
// 3 of the panel "Création d'un SI", each line run by the program folder's own interpreter, each
// account kept in the embedded store.
#include "cmd/filesharestore.h"
#include "converter/converter.h"
#include "provisioning/accountsheet.h"
#include "provisioning/provisioningfixture.h"
#include "provisioning/provisioningpanel.h"
#include "text/cp1252.h"

#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

namespace {

class QuietObserver : public ConversionObserver
{
public:
    void counted(qint64) override { }
    void progressed(qint64) override { }
    void analysed(const QString &message) override { messages << message; }
    void stillWorking() override { }
    QStringList messages;
};

} // namespace

class TestProvisioningEndToEnd : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void fromExportToAccounts();
};

void TestProvisioningEndToEnd::fromExportToAccounts()
{
    PanelFixture f(nullptr, true);
    QVERIFY(QFileInfo(f.folder.path() + QStringLiteral("/cmd")).isExecutable());
    ProvisioningPanel *p = f.panel;

    // The export as the spreadsheet saved it, and the class table: codes to group names.
    f.write(QStringLiteral("C:\\orvoexcel.txt"),
        pupilFileBytes({QStringLiteral("MARTIN,Paul,1001"), QStringLiteral("\"LÉVÊQUE\",Zoé,1002"),
            QStringLiteral("SANSCLASSE,Eve,"), QStringLiteral("DUPONT-LAJOIE,Jean-Pierre,1001"),
            QStringLiteral("DURAND & FILS,Léa,1002")}));
    f.write(QStringLiteral("C:\\div.txt"), pupilFileBytes({QStringLiteral("1001,TS8"), QStringLiteral("1002,1S2")}));
    QuietObserver observer;
    const auto converted
        = Converter(f.folder.paths())
              .run({QStringLiteral("C:\\orvoexcel.txt"), QStringLiteral("C:\\ORVO.txt"),
                       QStringLiteral("C:\\erreurs.txt"), QStringLiteral("C:\\div.txt"), QStringLiteral("C:"), false},
                  observer);
    QVERIFY2(converted.ok(), qPrintable(converted.message()));
    QCOMPARE(converted->withoutClass, 1);
    const QList<Pupil> pupils = {
        {QStringLiteral("TS8MARTINPaul"), QStringLiteral("MARTIN"), QStringLiteral("Paul"), QStringLiteral("TS8")},
        {QStringLiteral("TS8DUPONT-LAJ"), QStringLiteral("DUPONT-LAJOIE"), QStringLiteral("Jean-Pierre"),
            QStringLiteral("TS8")},
        {QStringLiteral("1S2LÉVÊQUEZoé"), QStringLiteral("LÉVÊQUE"), QStringLiteral("Zoé"), QStringLiteral("1S2")},
        {QStringLiteral("1S2DURAND & F"), QStringLiteral("DURAND & FILS"), QStringLiteral("Léa"),
            QStringLiteral("1S2")},
    };
    QStringList convertedLines;
    for (const Pupil &pupil : pupils)
        convertedLines << pupil.surname + u',' + pupil.firstNames + u',' + pupil.className;
    QCOMPARE(f.lines(QStringLiteral("C:\\ORVO.txt")), convertedLines);

    // The panel: every folder ticked, two subjects kept in the list and its file.
    p->check1->click();
    p->check2->click();
    p->check3->click();
    f.prompts.answerInput(QStringLiteral("Maths"));
    f.prompts.answerInput(QStringLiteral("Histoire-Geo"));
    p->matplus->click();
    p->matplus->click();
    p->sauv->click();

    p->cmdCreergrp->click();
    QVERIFY(f.processShell->waitForIdle(120000));
    p->cmdCreerrep->click();
    QVERIFY(f.processShell->waitForIdle(120000));
    p->cmdCreerutil->click();
    QVERIFY(f.processShell->waitForIdle(120000));

    QCOMPARE(f.prompts.messages(),
        QStringList {QStringLiteral("La création de 4 utilisateurs est achevée.\r"
                                    "Veuillez consulter le fichier C:\\comptes.html")});

    // The store: the groups, each account with its properties and groups, and the sheet's password.
    checkPupilAccounts(
        f, pupils, {QStringLiteral("1S2"), QStringLiteral("eleves"), QStringLiteral("profs"), QStringLiteral("TS8")});
    if (QTest::currentTestFailed())
        return;

    const QStringList sheet = f.lines(QStringLiteral("C:\\comptes.html"));
    QCOMPARE(sheet.size(), 15 + 1 + 7 * 4 + 4);
    for (int i = 0; i < pupils.size(); ++i) {
        const Pupil &pupil = pupils[i];
        const QStringList row = sheet.mid(16 + 7 * i, 7);
        QCOMPARE(row,
            AccountSheet::rowLines(pupil.login, row[2].mid(4, 6), pupil.surname, pupil.firstNames, pupil.className));
        QVERIFY2(f.hasPassword(pupil.login, row[2].mid(4, 6)), qPrintable(pupil.login));
    }
    QVERIFY(sheet.contains(QStringLiteral("<td>1S2DURAND &amp; F</td>")));
    QStringList logins;
    for (const Pupil &pupil : pupils)
        logins << pupil.login;
    QCOMPARE(f.lines(QStringLiteral("utilisateurs.txt")), logins);

    // Folders, made by the steps and by the scripts.
    for (const QString &folder : {QStringLiteral("E:\\Public\\TS8"), QStringLiteral("E:\\Public\\1S2"),
             QStringLiteral("E:\\Perso\\profs"), QStringLiteral("E:\\Matieres\\Maths"),
             QStringLiteral("E:\\Matieres\\Histoire-Geo"), QStringLiteral("E:\\Perso\\eleves\\TS8\\TS8MARTINPaul"),
             QStringLiteral("E:\\Perso\\eleves\\TS8\\TS8DUPONT-LAJ"),
             QStringLiteral("E:\\Perso\\eleves\\1S2\\1S2LÉVÊQUEZoé")})
        QVERIFY2(f.folderExists(folder), qPrintable(folder));
    // A login the interpreter would read as two commands gets no folder and no share.
    QCOMPARE(QDir(f.host(QStringLiteral("E:\\Perso\\eleves\\1S2"))).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
        QStringList {QStringLiteral("1S2LÉVÊQUEZoé")});

    // The shares the scripts and the share command recorded.
    auto listed = FileShareStore(f.folder.path()).list();
    QVERIFY2(listed.ok(), qPrintable(listed.message()));
    QMap<QString, QString> shares;
    for (const Share &share : std::as_const(*listed))
        shares.insert(share.name.toLower(), share.path);
    QMap<QString, QString> expected = {
        {QStringLiteral("ts8"), QStringLiteral("E:\\Public\\TS8")},
        {QStringLiteral("1s2"), QStringLiteral("E:\\Public\\1S2")},
        {QStringLiteral("public"), QStringLiteral("E:\\Public")},
        {QStringLiteral("matieres"), QStringLiteral("E:\\Matieres")},
    };
    for (int i = 0; i < 3; ++i)
        expected.insert(pupils[i].login.toLower() + u'$',
            QStringLiteral("E:\\Perso\\eleves\\") + pupils[i].className + u'\\' + pupils[i].login);
    QCOMPARE(shares, expected);

    // The class logon scripts and the files left for the administrator.
    QCOMPARE(f.folder.readFile(QStringLiteral("scripts/TS8.bat")),
        QByteArray("net use u: \\\\SERVEUR1\\TS8\r\nnet use m: \\\\SERVEUR1\\matieres\r\n"));
    QCOMPARE(f.folder.readFile(QStringLiteral("scripts/1S2.bat")),
        QByteArray("net use u: \\\\SERVEUR1\\1S2\r\nnet use m: \\\\SERVEUR1\\matieres\r\n"));
    QCOMPARE(f.folder.readFile(QStringLiteral("matieres.txt")), QByteArray("Maths\r\nHistoire-Geo\r\n"));
    QVERIFY(f.lines(QStringLiteral("C:\\erreurs.txt")).contains(QStringLiteral("SANSCLASSE,Eve")));
}

QTEST_MAIN(TestProvisioningEndToEnd)
#include "tst_provisioning_e2e.moc"
