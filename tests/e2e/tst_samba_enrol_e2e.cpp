// A school year after the bulk creation against the domain controller: the directory is the DC's,
// the program folder's interpreter keeps its shares in the DC's Samba, and the passwords the
// dialogs show open the accounts on the DC.
#include "directory/ldap/ldapdirectory.h"
#include "provisioning/enrolfixture.h"
#include "provisioning/schoolyear.h"
#include "support/dcfixture.h"

#include <QApplication>
#include <QTest>

class TestSambaEnrolEndToEnd : public QObject
{
    Q_OBJECT

public:
    explicit TestSambaEnrolEndToEnd(DcFixture &dc)
        : m_dc(dc)
    {
    }

private Q_SLOTS:
    void yearOnTheDomainController();

private:
    DcFixture &m_dc;
};

void TestSambaEnrolEndToEnd::yearOnTheDomainController()
{
    auto unit = m_dc.freshUnit(QStringLiteral("Lycee"));
    QVERIFY2(unit.ok(), qPrintable(unit.message()));
    auto config = m_dc.config(*unit);
    QVERIFY2(config.ok(), qPrintable(config.message()));
    auto opened = LdapDirectory::open(*config);
    QVERIFY2(opened.ok(), qPrintable(opened.message()));
    LdapDirectory *ldap = opened->get();
    EnrolFixture f(std::move(*opened));
    f.checkPassword = [ldap](const QString &account, const QString &password) {
        auto opens = ldap->checkPassword(account, password);
        return opens.ok() && *opens;
    };
    // The interpreter finds the DC's Samba through the program folder's "annuaire.conf", and the
    // accounts reach their folders below it.
    const Status pointed = DcFixture::pointProgramFolder(f.folder.path());
    QVERIFY2(pointed.ok(), qPrintable(pointed.message()));

    runSchoolYear(f);
    if (QTest::currentTestFailed())
        return;
    // Nothing was kept in the program folder's own list of shares.
    QVERIFY(!f.folder.exists(QStringLiteral("partages.txt")));
}

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    return DcFixture::runTests([&](DcFixture &dc) {
        TestSambaEnrolEndToEnd test(dc);
        return QTest::qExec(&test, argc, argv);
    });
}

#include "tst_samba_enrol_e2e.moc"
