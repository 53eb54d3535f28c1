#include "dcfixture.h"
#include "ldap/ldapdirectory.h"
#include "sambasharestore.h"
#include "tempprogramfolder.h"

#include <QDir>
#include <QFile>
#include <QTest>

#include <sys/stat.h>

using Run = DcFixture::Run;

// "net share" in the interpreter of a program folder whose annuaire.conf names the domain
// controller's smb.conf: the shares are the DC's own, seen by SMB clients, and a personal folder
// belongs to its account.
class TestSambaShares : public QObject
{
    Q_OBJECT

public:
    explicit TestSambaShares(DcFixture &dc)
        : m_dc(dc)
    {
    }

private Q_SLOTS:
    void init();
    void cleanup();
    void sharesAreTheServers();
    void personalFolderBelongsToItsAccount();
    void controlCharactersAreRefused();
    void unusableConfigurationSharesNothing();
    void listParsing();

private:
    Run cmd(const QStringList &arguments);
    QStringList registryShares();
    // smbclient with credentials in a file: never a password on a command line.
    Run smbclient(const QString &user, const QString &password, const QStringList &arguments);

    DcFixture &m_dc;
    std::unique_ptr<TempProgramFolder> m_folder;
};

void TestSambaShares::init()
{
    m_folder = std::make_unique<TempProgramFolder>();
    m_folder->writeSettings();
    m_folder->installPrograms();
    const Status pointed = DcFixture::pointProgramFolder(m_folder->path());
    QVERIFY2(pointed.ok(), qPrintable(pointed.message()));
}

void TestSambaShares::cleanup()
{
    for (const QString &name : registryShares())
        DcFixture::runProgram(QStringLiteral("net"),
            {QStringLiteral("-s"), m_dc.sambaConf(), QStringLiteral("conf"), QStringLiteral("delshare"),
                QStringLiteral("--"), name});
    m_folder.reset();
}

Run TestSambaShares::cmd(const QStringList &arguments)
{
    return DcFixture::runProgram(m_folder->path() + QStringLiteral("/cmd"), arguments, m_folder->path());
}

QStringList TestSambaShares::registryShares()
{
    const Run listed = DcFixture::runProgram(QStringLiteral("net"),
        {QStringLiteral("-s"), m_dc.sambaConf(), QStringLiteral("conf"), QStringLiteral("listshares")});
    QStringList names = listed.output.split(u'\n', Qt::SkipEmptyParts);
    for (QString &name : names)
        name = name.trimmed();
    return names;
}

Run TestSambaShares::smbclient(const QString &user, const QString &password, const QStringList &arguments)
{
    return DcFixture::smbclient(m_folder->path(), user, password, arguments);
}

void TestSambaShares::sharesAreTheServers()
{
    QVERIFY(QDir().mkpath(m_folder->drive(QStringLiteral("E")) + QStringLiteral("/public/6A")));
    Run made = cmd({QStringLiteral("/c"), QStringLiteral("net"), QStringLiteral("share"),
        QStringLiteral("6A=E:\\public\\6A"), QStringLiteral("/unlimited"), QStringLiteral("/remark:Classe de 6A")});
    QVERIFY2(made.exitCode == 0, qPrintable(made.output));
    QVERIFY(registryShares().contains(QStringLiteral("6A")));
    // Not in the program folder's own list: the shares are the server's.
    QVERIFY(!m_folder->exists(QStringLiteral("partages.txt")));

    const Run seen = smbclient(
        QStringLiteral("Administrator"), m_dc.adminPassword(), {QStringLiteral("-L"), QStringLiteral("//127.0.0.1")});
    QVERIFY2(seen.exitCode == 0, qPrintable(seen.output));
    QVERIFY2(seen.output.contains(QStringLiteral("6A")) && seen.output.contains(QStringLiteral("Classe de 6A")),
        qPrintable(seen.output));

    const Run listed = cmd({QStringLiteral("/c"), QStringLiteral("net"), QStringLiteral("share")});
    QCOMPARE(listed.exitCode, 0);
    QVERIFY2(listed.output.contains(QStringLiteral("6A")) && listed.output.contains(QStringLiteral("/public/6A")),
        qPrintable(listed.output));

    // A name is the server's once, whatever its case.
    const Run again = cmd({QStringLiteral("/c"), QStringLiteral("net"), QStringLiteral("share"),
        QStringLiteral("6a=E:\\public\\6A"), QStringLiteral("/unlimited")});
    QVERIFY(again.exitCode != 0);
    QVERIFY2(again.output.contains(QStringLiteral("existe déjà")), qPrintable(again.output));

    const Run removed = cmd({QStringLiteral("/c"), QStringLiteral("net"), QStringLiteral("share"), QStringLiteral("6a"),
        QStringLiteral("/delete")});
    QVERIFY2(removed.exitCode == 0, qPrintable(removed.output));
    QVERIFY(!registryShares().contains(QStringLiteral("6A")));
    const Run twice = cmd({QStringLiteral("/c"), QStringLiteral("net"), QStringLiteral("share"), QStringLiteral("6A"),
        QStringLiteral("/delete")});
    QVERIFY(twice.exitCode != 0);
    QVERIFY2(twice.output.contains(QStringLiteral("n'existe pas")), qPrintable(twice.output));
}

void TestSambaShares::personalFolderBelongsToItsAccount()
{
    auto directory = LdapDirectory::open(*m_dc.config());
    QVERIFY(directory.ok());
    auto parent = (*directory)->bind(QStringLiteral("WinNT://SERVEUR1"));
    QVERIFY(parent.ok());
    const QString login = QStringLiteral("6Adupontjean");
    auto user = (*parent)->create(QStringLiteral("User"), login);
    QVERIFY((*user)->setPassword(QStringLiteral("k7x2pq")).ok());
    const Status stored = (*user)->setInfo();
    QVERIFY2(stored.ok(), qPrintable(stored.message()));

    // As the pupil creation runs it: the script makes the folder and shares it as login$.
    QVERIFY(QDir().mkpath(m_folder->drive(QStringLiteral("E")) + QStringLiteral("/perso/eleves/6A")));
    const Run made = cmd({QStringLiteral("perso.bat"), QStringLiteral("E:\\perso\\eleves\\6A\\") + login, login});
    QVERIFY2(made.exitCode == 0, qPrintable(made.output));
    const QString folder = m_folder->drive(QStringLiteral("E")) + QStringLiteral("/perso/eleves/6A/") + login;
    struct stat info;
    QVERIFY(::stat(QFile::encodeName(folder).constData(), &info) == 0);
    const Run uid = DcFixture::runProgram(QStringLiteral("sh"),
        {QStringLiteral("-c"),
            QStringLiteral("wbinfo --sid-to-uid=$(wbinfo --name-to-sid=%1 | cut -d' ' -f1)").arg(login)});
    QCOMPARE(QString::number(info.st_uid), uid.output.trimmed());

    // The pupil writes there, through the share that is the account's home directory.
    m_folder->writeFile(QStringLiteral("devoir.txt"), "Mon devoir\n");
    const Run written = smbclient(login, QStringLiteral("k7x2pq"),
        {QStringLiteral("//127.0.0.1/%1$").arg(login), QStringLiteral("-c"),
            QStringLiteral("put %1/devoir.txt devoir.txt").arg(m_folder->path())});
    QVERIFY2(
        written.exitCode == 0 && !written.output.contains(QStringLiteral("NT_STATUS")), qPrintable(written.output));
    QVERIFY(QFile::exists(folder + QStringLiteral("/devoir.txt")));

    // A hidden share that names no account hands nothing over.
    QVERIFY(QDir().mkpath(m_folder->drive(QStringLiteral("E")) + QStringLiteral("/archives")));
    QCOMPARE(cmd({QStringLiteral("/c"), QStringLiteral("net"), QStringLiteral("share"),
                     QStringLiteral("archives$=E:\\archives")})
                 .exitCode,
        0);
    QVERIFY(
        ::stat(QFile::encodeName(m_folder->drive(QStringLiteral("E")) + QStringLiteral("/archives")).constData(), &info)
        == 0);
    QCOMPARE(info.st_uid, ::getuid());

    QVERIFY((*parent)->deleteObject(QStringLiteral("User"), login).ok());
}

void TestSambaShares::controlCharactersAreRefused()
{
    QVERIFY(QDir().mkpath(m_folder->drive(QStringLiteral("E")) + QStringLiteral("/Perso")));
    const Run made = cmd({QStringLiteral("/c"), QStringLiteral("net"), QStringLiteral("share"),
        QStringLiteral("v$=E:\\Perso"), QStringLiteral("/remark:a\nevil")});
    QVERIFY(made.exitCode != 0);
    QVERIFY2(made.output.contains(QStringLiteral("caractère de contrôle")), qPrintable(made.output));
    QVERIFY(!registryShares().contains(QStringLiteral("v$")));
}

void TestSambaShares::unusableConfigurationSharesNothing()
{
    m_folder->writeFile(QStringLiteral("annuaire.conf"), "uri=ldaps://127.0.0.1\nsambconf=/etc/samba/smb.conf\n");
    QVERIFY(QDir().mkpath(m_folder->drive(QStringLiteral("E")) + QStringLiteral("/public")));
    const Run made = cmd(
        {QStringLiteral("/c"), QStringLiteral("net"), QStringLiteral("share"), QStringLiteral("public=E:\\public")});
    QVERIFY(made.exitCode != 0);
    QVERIFY2(made.output.contains(QStringLiteral("annuaire.conf")), qPrintable(made.output));
    QVERIFY(!m_folder->exists(QStringLiteral("partages.txt")));
    QVERIFY(!registryShares().contains(QStringLiteral("public")));
}

void TestSambaShares::listParsing()
{
    const QByteArray text = "[global]\n\tworkgroup = X\n\n[6A]\n\tpath = /srv/e/public/6A\n\tcomment = Classe = 6A\n"
                            "\tread only = no\n\n[dupont$]\n\tpath = /srv/e/perso/dupont jean\n\tcomment = \n";
    const QList<Share> shares = SambaShareStore::parseList(text);
    QCOMPARE(shares.size(), 2);
    QCOMPARE(shares[0].name, QStringLiteral("6A"));
    QCOMPARE(shares[0].hostPath, QStringLiteral("/srv/e/public/6A"));
    QCOMPARE(shares[0].remark, QStringLiteral("Classe = 6A"));
    QCOMPARE(shares[1].name, QStringLiteral("dupont$"));
    QCOMPARE(shares[1].path, QStringLiteral("/srv/e/perso/dupont jean"));
    QCOMPARE(shares[1].remark, QString());
}

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    return DcFixture::runTests([&](DcFixture &dc) {
        TestSambaShares test(dc);
        return QTest::qExec(&test, argc, argv);
    });
}

#include "tst_samba_shares.moc"
