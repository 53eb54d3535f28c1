// The provisioning panel's three steps run against the domain controller: the directory is the DC's,
// the program folder's interpreter keeps shares in the DC's Samba. What a school gets is checked the
// way its people meet it: pupils log on with the password on the sheet, the shares are listed by an
// SMB client, and each pupil writes into a personal folder of their own.
#include "directory/ldap/ldapdirectory.h"
#include "provisioning/accountsheet.h"
#include "provisioning/bulkaccounts.h"
#include "provisioning/provisioningfixture.h"
#include "provisioning/provisioningpanel.h"
#include "provisioning/pupilcheckfixture.h"
#include "support/dcfixture.h"

#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QPushButton>
#include <QTest>

#include <sys/stat.h>

class TestSambaEndToEnd : public QObject
{
    Q_OBJECT

public:
    explicit TestSambaEndToEnd(DcFixture &dc)
        : m_dc(dc)
    {
    }

private Q_SLOTS:
    void stepsOnTheDomainController();
    void stepThreeNeedsThePupilsPolicy();
    void stepsRefuseSharesSambaWouldNotServe();
    void checkBeforeStepThree();
    void stoppingTheDcEndsTheRun_data();
    void stoppingTheDcEndsTheRun();
    void stoppedRunGoesOn();

private:
    // The panel on the DC, below a fresh unit, with the converted file of two pupils of TS8.
    std::unique_ptr<PanelFixture> panelOnTheDc(const QString &unit, LdapDirectory **ldap = nullptr);

    DcFixture &m_dc;
};

std::unique_ptr<PanelFixture> TestSambaEndToEnd::panelOnTheDc(const QString &unitName, LdapDirectory **ldap)
{
    auto unit = m_dc.freshUnit(unitName);
    if (!unit) {
        qWarning("%s", qPrintable(unit.message()));
        return nullptr;
    }
    auto opened = LdapDirectory::open(*m_dc.config(*unit));
    if (!opened)
        return nullptr;
    if (ldap)
        *ldap = opened->get();
    auto f = std::make_unique<PanelFixture>(std::move(*opened), true);
    if (Status pointed = DcFixture::pointProgramFolder(f->folder.path()); !pointed) {
        qWarning("%s", qPrintable(pointed.message()));
        return nullptr;
    }
    f->write(QStringLiteral("C:\\ORVO.txt"),
        pupilFileBytes({QStringLiteral("MARTIN,Paul,TS8"), QStringLiteral("DURAND,Léa,TS8")}));
    f->panel->check1->click();
    f->panel->check2->click();
    f->panel->check3->click();
    return f;
}

void TestSambaEndToEnd::stepsOnTheDomainController()
{
    auto unit = m_dc.freshUnit(QStringLiteral("Ecole"));
    QVERIFY2(unit.ok(), qPrintable(unit.message()));
    auto opened = LdapDirectory::open(*m_dc.config(*unit));
    QVERIFY(opened.ok());
    LdapDirectory *ldap = opened->get();
    PanelFixture f(std::move(*opened), true);
    // The program folder points at the DC for shares too, and pupils can reach their folders below it.
    const Status pointed = DcFixture::pointProgramFolder(f.folder.path());
    QVERIFY2(pointed.ok(), qPrintable(pointed.message()));
    ProvisioningPanel *p = f.panel;

    const QList<Pupil> pupils = {
        {QStringLiteral("TS8MARTINPaul"), QStringLiteral("MARTIN"), QStringLiteral("Paul"), QStringLiteral("TS8")},
        {QStringLiteral("TS8DUPONT-LAJ"), QStringLiteral("DUPONT-LAJOIE"), QStringLiteral("Jean-Pierre"),
            QStringLiteral("TS8")},
        {QStringLiteral("1S2LÉVÊQUEZoé"), QStringLiteral("LÉVÊQUE"), QStringLiteral("Zoé"), QStringLiteral("1S2")},
    };
    QStringList converted;
    for (const Pupil &pupil : pupils)
        converted << pupil.surname + u',' + pupil.firstNames + u',' + pupil.className;
    f.write(QStringLiteral("C:\\ORVO.txt"), pupilFileBytes(converted));

    p->check1->click();
    p->check2->click();
    p->check3->click();
    p->cmdCreergrp->click();
    QVERIFY(f.processShell->waitForIdle(120000));
    // Step 1 again makes no second policy for the pupils.
    p->cmdCreergrp->click();
    QVERIFY(f.processShell->waitForIdle(120000));
    auto eleves = ldap->session().require(QStringLiteral("eleves"), QStringLiteral("Group"));
    QVERIFY2(eleves.ok(), qPrintable(eleves.message()));
    QCOMPARE(m_dc.policiesAppliedTo(eleves->dn).size(), 1);
    p->cmdCreerrep->click();
    QVERIFY(f.processShell->waitForIdle(120000));
    p->cmdCreerutil->click();
    QVERIFY(f.processShell->waitForIdle(120000));
    QCOMPARE(f.prompts.messages(),
        QStringList {QStringLiteral("La création de 3 utilisateurs est achevée.\r"
                                    "Veuillez consulter le fichier C:\\comptes.html")});

    // Groups with their members, accounts with their properties, on the DC.
    checkPupilAccounts(
        f, pupils, {QStringLiteral("1S2"), QStringLiteral("eleves"), QStringLiteral("profs"), QStringLiteral("TS8")});
    if (QTest::currentTestFailed())
        return;

    const QStringList sheet = f.lines(QStringLiteral("C:\\comptes.html"));
    for (int i = 0; i < pupils.size(); ++i) {
        const Pupil &pupil = pupils[i];
        // The password on the sheet opens the account.
        const QStringList row = sheet.mid(16 + 7 * i, 7);
        QCOMPARE(row.value(1), QStringLiteral("<td>") + pupil.login + QStringLiteral("</td>"));
        const QString password = row.value(2).mid(4, 6);
        auto bound = ldap->checkPassword(pupil.login, password);
        QVERIFY2(bound.ok() && *bound, qPrintable(pupil.login + u' ' + bound.message()));

        // The personal folder is the pupil's, and the pupil writes there through the home share.
        const QString folder = f.host(QStringLiteral("E:\\Perso\\eleves\\") + pupil.className + u'\\' + pupil.login);
        struct stat info;
        QVERIFY2(::stat(QFile::encodeName(folder).constData(), &info) == 0, qPrintable(folder));
        QVERIFY2(info.st_uid != ::getuid(), qPrintable(folder));
        f.folder.writeFile(QStringLiteral("devoir.txt"), "Mon devoir\n");
        const DcFixture::Run written = DcFixture::smbclient(f.folder.path(), pupil.login, password,
            {QStringLiteral("//127.0.0.1/%1$").arg(pupil.login), QStringLiteral("-c"),
                QStringLiteral("put %1/devoir.txt devoir.txt").arg(f.folder.path())});
        QVERIFY2(
            written.exitCode == 0 && !written.output.contains(QStringLiteral("NT_STATUS")), qPrintable(written.output));
        QVERIFY(QFile::exists(folder + QStringLiteral("/devoir.txt")));
    }

    // The shares, as an SMB client lists them.
    const DcFixture::Run run = DcFixture::smbclient(f.folder.path(), QStringLiteral("Administrator"),
        m_dc.adminPassword(), {QStringLiteral("-L"), QStringLiteral("//127.0.0.1")});
    QVERIFY2(run.exitCode == 0, qPrintable(run.output));
    const QString listed = run.output;
    QStringList shares
        = {QStringLiteral("public"), QStringLiteral("matieres"), QStringLiteral("TS8"), QStringLiteral("1S2")};
    for (const Pupil &pupil : pupils)
        shares << pupil.login + u'$';
    for (const QString &share : std::as_const(shares))
        QVERIFY2(listed.contains(share, Qt::CaseInsensitive), qPrintable(share + u'\n' + listed));
    // Nothing was kept in the program folder's own list of shares.
    QVERIFY(!f.folder.exists(QStringLiteral("partages.txt")));
}

void TestSambaEndToEnd::stepThreeNeedsThePupilsPolicy()
{
    LdapDirectory *ldap = nullptr;
    auto f = panelOnTheDc(QStringLiteral("Ecole"), &ldap);
    QVERIFY(f);
    f->panel->cmdCreergrp->click();
    QVERIFY(f->processShell->waitForIdle(120000));
    QCOMPARE(f->prompts.messages(), QStringList());

    // The pupils' policy removed by hand: the domain's own applies to them again.
    auto eleves = ldap->session().require(QStringLiteral("eleves"), QStringLiteral("Group"));
    QVERIFY2(eleves.ok(), qPrintable(eleves.message()));
    const QStringList applied = m_dc.policiesAppliedTo(eleves->dn);
    QCOMPARE(applied.size(), 1);
    const LdapReply removed = m_dc.admin().remove(applied.first());
    QVERIFY2(removed.ok(), qPrintable(removed.diagnostic));
    f->shell.started.clear();
    f->panel->cmdCreerutil->click();

    // Step 3 says why and makes nothing.
    const QStringList shown = f->prompts.messages();
    QCOMPARE(shown.size(), 1);
    for (const QString &part :
        {QStringLiteral("la stratégie de mots de passe du domaine"), QStringLiteral("au moins 7 caractères"),
            QStringLiteral("Aucun compte n'a été créé."), QStringLiteral("Créer les groupes"),
            QStringLiteral("samba-tool domain passwordsettings pso apply velmar-eleves eleves")})
        QVERIFY2(shown.first().contains(part), qPrintable(part + u'\n' + shown.first()));
    QCOMPARE(f->users(), QStringList());
    QVERIFY(!QFileInfo::exists(f->host(QStringLiteral("C:\\comptes.html"))));
    QVERIFY(!f->folder.exists(QStringLiteral("utilisateurs.txt")));
    QCOMPARE(f->shell.started.size(), 0);

    // Step 1 makes it again, and step 3 gives the pupils working passwords.
    f->prompts.clear();
    f->panel->cmdCreergrp->click();
    QVERIFY(f->processShell->waitForIdle(120000));
    f->panel->cmdCreerutil->click();
    QVERIFY(f->processShell->waitForIdle(120000));
    QCOMPARE(f->prompts.messages(),
        QStringList {QStringLiteral("La création de 2 utilisateurs est achevée.\r"
                                    "Veuillez consulter le fichier C:\\comptes.html")});
    const QStringList sheet = f->lines(QStringLiteral("C:\\comptes.html"));
    for (int i = 0; i < 2; ++i) {
        const QString login = sheet.value(17 + 7 * i).mid(4).chopped(5);
        const QString password = sheet.value(18 + 7 * i).mid(4).chopped(5);
        auto opens = ldap->checkPassword(login, password);
        QVERIFY2(opens.ok() && *opens, qPrintable(login + u' ' + password + u' ' + opens.message()));
    }
}

void TestSambaEndToEnd::stepsRefuseSharesSambaWouldNotServe()
{
    LdapDirectory *ldap = nullptr;
    auto f = panelOnTheDc(QStringLiteral("Ecole"), &ldap);
    QVERIFY(f);
    // A copy of the DC's configuration without the line, as samba-tool provisions it.
    QFile original(m_dc.sambaConf());
    QVERIFY(original.open(QIODevice::ReadOnly));
    QByteArray conf = original.readAll();
    QVERIFY(conf.contains("registry shares = yes"));
    conf.replace("registry shares = yes", "");
    f->folder.writeFile(QStringLiteral("smb.conf"), conf);
    QByteArray settings = f->folder.readFile(QStringLiteral("annuaire.conf"));
    settings.replace(m_dc.sambaConf().toUtf8(), (f->folder.path() + QStringLiteral("/smb.conf")).toUtf8());
    f->folder.writeFile(QStringLiteral("annuaire.conf"), settings);

    ProvisioningPanel *p = f->panel;
    for (QPushButton *step : {p->cmdCreergrp, p->cmdCreerrep, p->cmdCreerutil}) {
        f->prompts.clear();
        step->click();
        const QStringList shown = f->prompts.messages();
        QCOMPARE(shown.size(), 1);
        QVERIFY2(
            shown.first().contains(QStringLiteral("ajoutez la ligne « registry shares = yes » à la section [global]")),
            qPrintable(shown.first()));
    }
    // Nothing was written: no group, no account, no folder, no share, no sheet.
    QCOMPARE(f->shell.started.size(), 0);
    QVERIFY(!ldap->bind(QStringLiteral("WinNT://SERVEUR1/eleves")).ok());
    QCOMPARE(f->users(), QStringList());
    QVERIFY(!f->folderExists(QStringLiteral("E:\\Perso")));
    QVERIFY(!f->folderExists(QStringLiteral("E:\\Public")));
    QVERIFY(!QFileInfo::exists(f->host(QStringLiteral("C:\\comptes.html"))));
    QVERIFY(!f->folder.exists(QStringLiteral("scripts")));
}

// The check of the pupil file before step 3, through its dialog, against the DC's accounts and groups.
void TestSambaEndToEnd::checkBeforeStepThree()
{
    auto unit = m_dc.freshUnit(QStringLiteral("Verification"));
    QVERIFY2(unit.ok(), qPrintable(unit.message()));
    auto opened = LdapDirectory::open(*m_dc.config(*unit));
    QVERIFY2(opened.ok(), qPrintable(opened.message()));
    PanelFixture f(std::move(*opened));
    checkPupilFileThroughTheDialog(f);
}

void TestSambaEndToEnd::stoppingTheDcEndsTheRun_data()
{
    QTest::addColumn<bool>("hangs");
    QTest::newRow("stopped: connections refused") << false;
    QTest::newRow("hung: connections taken, nothing answers") << true;
}

// The DC goes away in the middle of step 3: the run still ends, with its final message once the work
// is done, every remaining pupil on the sheet without an account, and no line cut short.
void TestSambaEndToEnd::stoppingTheDcEndsTheRun()
{
    QFETCH(bool, hangs);
    // A domain as the tarball has it, whatever the tests before left in it.
    const Status fresh = m_dc.restart();
    QVERIFY2(fresh.ok(), qPrintable(fresh.message()));
    auto f = panelOnTheDc(QStringLiteral("Ecole"));
    QVERIFY(f);
    f->panel->cmdCreergrp->click();
    QVERIFY(f->processShell->waitForIdle(120000));
    f->panel->cmdCreerrep->click();
    QVERIFY(f->processShell->waitForIdle(120000));
    QStringList converted;
    for (int i = 0; i < 6; ++i)
        converted << QStringLiteral("ELEVE%1,Paul,TS8").arg(QChar(u'A' + i));
    f->write(QStringLiteral("C:\\ORVO.txt"), pupilFileBytes(converted));
    f->prompts.clear();

    const int stopAfter = 2;
    QList<int> seen;
    int counted = -1;
    Status stopped;
    BulkAccounts::Progress progress;
    progress.counted = [&](int count, int) { counted = count; };
    progress.handled = [&](int handled) {
        seen << handled;
        if (handled == stopAfter)
            stopped = hangs ? m_dc.freezeDirectory() : m_dc.stop();
    };
    QElapsedTimer timer;
    timer.start();
    // Batches of two: the DC stops between two batches, and the next one finds it gone.
    const int handled = BulkAccounts(f->services, stopAfter)
                            .run({QStringLiteral("SERVEUR1"), QStringLiteral("C:"), QStringLiteral("E:\\Perso"),
                                     QStringLiteral("C:\\ORVO.txt")},
                                progress);
    const bool idle = f->processShell->waitForIdle(120000);
    const qint64 ms = timer.elapsed();
    // Whichever personal shares were made, before or after the stop, admit their account alone:
    // one that cannot be kept to its account is not made at all.
    const DcFixture::Run listed = DcFixture::runProgram(QStringLiteral("net"),
        {QStringLiteral("-s"), m_dc.sambaConf(), QStringLiteral("conf"), QStringLiteral("list")});
    // Whatever happened, the next tests need the DC again.
    const Status started = m_dc.start();
    QVERIFY2(stopped.ok(), qPrintable(stopped.message()));
    QVERIFY2(started.ok(), qPrintable(started.message()));
    QVERIFY(idle);
    QVERIFY2(ms < 5 * 60 * 1000, qPrintable(QString::number(ms)));
    QCOMPARE(listed.exitCode, 0);
    for (const QString &section : listed.output.split(u'[').mid(1)) {
        if (section.startsWith(QStringLiteral("TS8ELEVE")))
            QVERIFY2(section.contains(QStringLiteral("valid users = S-1-5-21-")), qPrintable(section));
    }

    QVERIFY2(counted == 6, qPrintable(f->prompts.messages().join(u'\n')));
    QCOMPARE(handled, 6);
    QCOMPARE(seen, (QList<int> {1, 2, 3, 4, 5, 6}));
    QCOMPARE(f->prompts.messages(),
        QStringList {QStringLiteral("La création de 6 utilisateurs est achevée.\r"
                                    "Veuillez consulter le fichier C:\\comptes.html\r"
                                    "Attention : 4 comptes n'ont pas été créés.")});
    // Every pupil on the sheet, the first two with a password, the others without an account; the
    // sheet is whole.
    const QStringList sheet = f->lines(QStringLiteral("C:\\comptes.html"));
    QVERIFY(sheet.last().contains(QStringLiteral("</html>")));
    for (int i = 0; i < 6; ++i) {
        const QStringList row = sheet.mid(16 + 7 * i, 7);
        QCOMPARE(row.value(1), QStringLiteral("<td>TS8ELEVE%1Paul</td>").arg(QChar(u'A' + i)));
        const QString cell = row.value(2).mid(4).chopped(5);
        if (i < stopAfter)
            QVERIFY2(cell.size() == 6, qPrintable(cell));
        else
            QCOMPARE(cell, AccountSheet::noAccountCell());
    }
}

void TestSambaEndToEnd::stoppedRunGoesOn()
{
    LdapDirectory *ldap = nullptr;
    auto f = panelOnTheDc(QStringLiteral("Ecole"), &ldap);
    QVERIFY(f);
    f->write(QStringLiteral("C:\\ORVO.txt"),
        pupilFileBytes(
            {QStringLiteral("MARTIN,Paul,TS8"), QStringLiteral("DURAND,Léa,TS8"), QStringLiteral("PETIT,Luc,TS8")}));
    f->panel->cmdCreergrp->click();
    QVERIFY(f->processShell->waitForIdle(120000));
    // Killed once the second pupil's account is made on the DC, before its row.
    QVERIFY(f->runStoppedAt(QStringLiteral("TS8DURANDLéa")));
    QVERIFY(f->processShell->waitForIdle(120000));
    f->prompts.clear();
    f->panel->cmdCreerutil->click();
    QVERIFY(f->processShell->waitForIdle(120000));

    QCOMPARE(f->prompts.shown.value(0).kind, QStringLiteral("yesno"));
    QVERIFY(f->prompts.shown.value(0).text.contains(QStringLiteral(" s'est arrêtée après 1 élèves sur 3. ")));
    QCOMPARE(f->prompts.messages(),
        QStringList {QStringLiteral("La création de 3 utilisateurs est achevée.\r"
                                    "Veuillez consulter le fichier C:\\comptes.html")});
    auto rows = AccountSheet::read(f->host(QStringLiteral("C:\\comptes.html")));
    QVERIFY2(rows.ok(), qPrintable(rows.message()));
    QCOMPARE(rows->size(), 3);
    QStringList passwords;
    for (const AccountSheet::Row &row : *rows) {
        auto opens = ldap->checkPassword(row.login, row.passwordCell);
        QVERIFY2(opens.ok() && *opens, qPrintable(row.login + u' ' + opens.message()));
        passwords << row.passwordCell;
    }
    QCOMPARE((QStringList {rows->at(0).login, rows->at(1).login, rows->at(2).login}),
        (QStringList {QStringLiteral("TS8MARTINPaul"), QStringLiteral("TS8DURANDLéa"), QStringLiteral("TS8PETITLuc")}));
    const QStringList journals = f->journals(QStringLiteral("creation"));
    QCOMPARE(journals.size(), 1);
    QCOMPARE(f->lines(journals[0]).last(), QStringLiteral("fin"));
    f->checkNoPasswordInJournals(passwords);
}

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    return DcFixture::runTests([&](DcFixture &dc) {
        TestSambaEndToEnd test(dc);
        return QTest::qExec(&test, argc, argv);
    });
}

#include "tst_samba_e2e.moc"
