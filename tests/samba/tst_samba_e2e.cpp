// The provisioning panel's three steps run against the domain controller: the directory is the DC's,
// the program folder's interpreter keeps shares in the DC's Samba. What a school gets is checked the
// way its people meet it: pupils log on with the password on the sheet, the shares are listed by an
// SMB client, and each pupil writes into a personal folder of their own.
#include "accountsheet.h"
#include "dcfixture.h"
#include "ldap/ldapdirectory.h"
#include "provisioningfixture.h"
#include "provisioningpanel.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
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

private:
    DcFixture &m_dc;
};

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

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    return DcFixture::runTests([&](DcFixture &dc) {
        TestSambaEndToEnd test(dc);
        return QTest::qExec(&test, argc, argv);
    });
}

#include "tst_samba_e2e.moc"
