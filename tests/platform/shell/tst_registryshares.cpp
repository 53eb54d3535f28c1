// Whether the domain controller's Samba serves the shares written into its registry, as testparm
// reads its configuration: no domain controller runs for this.
#include "shell/registryshares.h"
#include "support/tempprogramfolder.h"

#include <QTest>

using namespace Qt::StringLiterals;

class TestRegistryShares : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void configurations_data();
    void configurations();
    void programFolders_data();
    void programFolders();
};

void TestRegistryShares::configurations_data()
{
    QTest::addColumn<QByteArray>("conf"); // empty: no file at all
    QTest::addColumn<QString>("refusal"); // empty: served

    const QString addLine = u"ajoutez la ligne « registry shares = yes » à la section [global] de "_s;
    QTest::newRow("registry shares") << QByteArray("[global]\n\tworkgroup = ECOLE\n\tregistry shares = yes\n")
                                     << QString();
    QTest::newRow("include = registry") << QByteArray("[global]\n\tworkgroup = ECOLE\n\tinclude = registry\n")
                                        << QString();
    QTest::newRow("config backend") << QByteArray("[global]\n\tconfig backend = registry\n") << QString();
    QTest::newRow("as provisioned") << QByteArray("[global]\n\tworkgroup = ECOLE\n\tserver role = active directory "
                                                  "domain controller\n\n[netlogon]\n\tpath = /tmp\n")
                                    << addLine;
    QTest::newRow("said no") << QByteArray("[global]\n\tregistry shares = no\n") << addLine;
    QTest::newRow("in a share's section") << QByteArray("[global]\n\tworkgroup = ECOLE\n[data]\n\tpath = /tmp\n\t"
                                                        "registry shares = yes\n")
                                          << addLine;
    QTest::newRow("not a yes or no") << QByteArray("[global]\n\tregistry shares = peut-être\n")
                                     << "ne peut pas être lue par testparm";
    QTest::newRow("no file") << QByteArray() << "ne peut pas être lue par testparm";
}

void TestRegistryShares::configurations()
{
    QFETCH(QByteArray, conf);
    QFETCH(QString, refusal);
    TempProgramFolder folder;
    if (!conf.isEmpty())
        folder.writeFile(QStringLiteral("smb.conf"), conf);
    const QString file = folder.path() + QStringLiteral("/smb.conf");

    const Status served = RegistryShares::check(file);
    if (refusal.isEmpty()) {
        QVERIFY2(served.ok(), qPrintable(served.message()));
        return;
    }
    QVERIFY(!served.ok());
    QVERIFY2(served.message().contains(refusal), qPrintable(served.message()));
    QVERIFY2(served.message().contains(file), qPrintable(served.message()));
}

void TestRegistryShares::programFolders_data()
{
    QTest::addColumn<QByteArray>("annuaire"); // empty: no annuaire.conf
    QTest::addColumn<QString>("refusal"); // empty: served

    const QByteArray dc = "uri=ldaps://dc1.lycee.local\nbase=DC=lycee,DC=local\n"
                          "binddn=CN=Administrator,CN=Users,DC=lycee,DC=local\npasswordfile=bindpass\n";
    QTest::newRow("embedded store: the folder's own list") << QByteArray() << QString();
    QTest::newRow("domain controller, shares in the folder's list") << dc << QString();
    QTest::newRow("the DC's Samba, without the line") << dc + "sambaconf=smb.conf\n"
                                                      << "ajoutez la ligne « registry shares = yes »";
    QTest::newRow("annuaire.conf that cannot be read")
        << QByteArray("uri=ldaps://dc1\nsambaconf=smb.conf\n") << "annuaire.conf";
}

void TestRegistryShares::programFolders()
{
    QFETCH(QByteArray, annuaire);
    QFETCH(QString, refusal);
    TempProgramFolder folder;
    folder.writeFile(QStringLiteral("smb.conf"), "[global]\n\tworkgroup = ECOLE\n");
    if (!annuaire.isEmpty())
        folder.writeFile(QStringLiteral("annuaire.conf"), annuaire);

    const Status served = checkSharesServed(folder.paths());
    if (refusal.isEmpty()) {
        QVERIFY2(served.ok(), qPrintable(served.message()));
        return;
    }
    QVERIFY(!served.ok());
    QVERIFY2(served.message().contains(refusal), qPrintable(served.message()));
}

QTEST_MAIN(TestRegistryShares)
#include "tst_registryshares.moc"
