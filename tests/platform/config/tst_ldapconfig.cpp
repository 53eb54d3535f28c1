#include "config/ldapconfig.h"
#include "directory/ldap/ldapdirectory.h"
#include "directory/ldap/ldapnames.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTimeZone>

#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

// The domain-controller backend where no server is needed: its configuration file, its password
// file, the values it sends, and what it does when the server is out of reach or silent.
class TestLdapConfig : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void parses();
    void refuses_data();
    void refuses();
    void passwordFile_data();
    void passwordFile();
    void escaping_data();
    void escaping();
    void serverValues();
    void unreachableServerFailsClearly();
    void silentServerFailsInBoundedTime_data();
    void silentServerFailsInBoundedTime();

private:
    QString writePassword(const QByteArray &content, mode_t mode);
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestLdapConfig::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

QString TestLdapConfig::writePassword(const QByteArray &content, mode_t mode)
{
    const QString path = m_dir->filePath(QStringLiteral("bindpass"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return {};
    file.write(content);
    file.close();
    ::chmod(QFile::encodeName(path).constData(), mode);
    return path;
}

void TestLdapConfig::parses()
{
    const QByteArray text = "# Le contrôleur du lycée\r\n"
                            "uri = ldaps://dc1.lycee.local\r\n"
                            "base=DC=lycee,DC=local\r\n"
                            "  BindDN=CN=velmar,OU=Services,DC=lycee,DC=local   # le compte du programme\r\n"
                            "passwordfile=secret/bind.txt\r\n"
                            "tls=Never\r\n"
                            "\r\n"
                            "cafile=/etc/velmar/ca#1.pem\r\n"
                            "sambaconf=/etc/samba/smb.conf\r\n";
    auto config = LdapConfig::parse(text, QStringLiteral("/opt/velmar"));
    QVERIFY2(config.ok(), qPrintable(config.message()));
    QCOMPARE(config->uri, QStringLiteral("ldaps://dc1.lycee.local"));
    QCOMPARE(config->base, QStringLiteral("DC=lycee,DC=local"));
    QCOMPARE(config->bindDn, QStringLiteral("CN=velmar,OU=Services,DC=lycee,DC=local"));
    QCOMPARE(config->passwordFile, QStringLiteral("/opt/velmar/secret/bind.txt"));
    QCOMPARE(config->verifyServer, false);
    QCOMPARE(config->caFile, QStringLiteral("/etc/velmar/ca#1.pem")); // a "#" inside a value stays
    QCOMPARE(config->sambaConf, QStringLiteral("/etc/samba/smb.conf"));
    QCOMPARE(config->realm, QStringLiteral("lycee.local")); // from the base when not given

    auto minimal = LdapConfig::parse(
        "uri=ldap://dc1\nbase=DC=a,DC=b\nrealm=A.B\nbinddn=x@a.b\npasswordfile=/p\n", QStringLiteral("/opt/velmar"));
    QVERIFY2(minimal.ok(), qPrintable(minimal.message()));
    QCOMPARE(minimal->verifyServer, true); // demand unless told otherwise
    QCOMPARE(minimal->realm, QStringLiteral("A.B"));
    QCOMPARE(minimal->sambaConf, QString());

    // A name that starts with ":" lies in the program folder like any other.
    auto colon = LdapConfig::parse(
        "uri=ldap://dc1\nbase=DC=a\nbinddn=x\npasswordfile=:bind\ncafile=:ca.pem\n", QStringLiteral("/opt/velmar"));
    QVERIFY2(colon.ok(), qPrintable(colon.message()));
    QCOMPARE(colon->passwordFile, QStringLiteral("/opt/velmar/:bind"));
    QCOMPARE(colon->caFile, QStringLiteral("/opt/velmar/:ca.pem"));

    // The realm taken from the base leaves out blanks around a value, and empty values.
    QCOMPARE(LdapConfig::realmFromBase(QStringLiteral("DC= lycee ,DC=,dc=Local")), QStringLiteral("lycee.local"));
}

void TestLdapConfig::refuses_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("expected"); // part of the message

    const QByteArray rest = "base=DC=a,DC=b\nbinddn=x\npasswordfile=/p\n";
    QTest::newRow("unknown key") << "serveur=ldap://dc1\n" + rest << "ligne 1 : clé inconnue « serveur »";
    QTest::newRow("no equals sign") << "uri=ldaps://dc1\n" + rest + "tls\n"
                                    << "ligne 5";
    QTest::newRow("key given twice") << "uri=ldaps://dc1\nuri=ldaps://dc2\n" + rest << "deux fois";
    QTest::newRow("no uri") << rest << "« uri »";
    QTest::newRow("empty uri") << "uri=\n" + rest << "« uri »";
    QTest::newRow("other scheme") << "uri=http://dc1\n" + rest << "ldaps://";
    QTest::newRow("two servers") << "uri=ldaps://dc1 ldaps://dc2\n" + rest << "un serveur";
    QTest::newRow("unknown tls") << "uri=ldaps://dc1\ntls=peut-être\n" + rest << "« demand » ou « never »";
    QTest::newRow("no base") << QByteArray("uri=ldaps://dc1\nbinddn=x\npasswordfile=/p\n") << "« base »";
    QTest::newRow("no binddn") << QByteArray("uri=ldaps://dc1\nbase=DC=a\npasswordfile=/p\n") << "« binddn »";
    QTest::newRow("no password file") << QByteArray("uri=ldaps://dc1\nbase=DC=a\nbinddn=x\n") << "« passwordfile »";
    QTest::newRow("no realm to be had") << QByteArray("uri=ldaps://dc1\nbase=O=x\nbinddn=x\npasswordfile=/p\n")
                                        << "« realm »";
    // A value is used as it stands by the library and by Samba: a control character would cut it or
    // slip a second value in.
    QTest::newRow("NUL in the uri") << QByteArray("uri=ldaps://dc1\0.evil\n", 22) + rest
                                    << "ligne 1 : la valeur de « uri » contient un caractère de contrôle";
    QTest::newRow("tab in the uri") << "uri=ldaps://dc1\t.evil\n" + rest << "ligne 1 : la valeur de « uri »";
    QTest::newRow("lone carriage return in a value") << "uri=ldaps://dc1\n" + rest + "sambaconf=/etc/smb.conf\r.x\n"
                                                     << "ligne 5 : la valeur de « sambaconf »";
    QTest::newRow("escape in the base") << QByteArray(
        "uri=ldaps://dc1\nbase=DC=a\x1b,DC=b\nbinddn=x\npasswordfile=/p\n")
                                        << "ligne 2 : la valeur de « base »";
    QTest::newRow("C1 control in the bind DN")
        << QByteArray("uri=ldaps://dc1\nbase=DC=a\nbinddn=x\xc2\x85y\npasswordfile=/p\n")
        << "ligne 3 : la valeur de « binddn »";
}

void TestLdapConfig::refuses()
{
    QFETCH(QByteArray, text);
    QFETCH(QString, expected);
    auto config = LdapConfig::parse(text, QStringLiteral("/opt/velmar"));
    QVERIFY(!config.ok());
    QVERIFY2(config.message().contains(QStringLiteral("annuaire.conf")), qPrintable(config.message()));
    QVERIFY2(config.message().contains(expected), qPrintable(config.message()));
}

void TestLdapConfig::passwordFile_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<int>("mode");
    QTest::addColumn<QByteArray>("password"); // empty: refused
    QTest::addColumn<QString>("expected");

    QTest::newRow("owner only") << QByteArray("S3cret:é") << 0600 << QByteArray("S3cret:é") << QString();
    QTest::newRow("line end dropped") << QByteArray("S3cret \r\n") << 0400 << QByteArray("S3cret ") << QString();
    QTest::newRow("group can read") << QByteArray("S3cret") << 0640 << QByteArray() << "chmod 600";
    QTest::newRow("others can read") << QByteArray("S3cret") << 0604 << QByteArray() << "chmod 600";
    QTest::newRow("empty") << QByteArray("\n") << 0600 << QByteArray() << "vide";
    QTest::newRow("missing") << QByteArray() << -1 << QByteArray() << "introuvable";
}

void TestLdapConfig::passwordFile()
{
    QFETCH(QByteArray, content);
    QFETCH(int, mode);
    QFETCH(QByteArray, password);
    QFETCH(QString, expected);

    LdapConfig config;
    config.passwordFile = mode < 0 ? m_dir->filePath(QStringLiteral("absent")) : writePassword(content, mode_t(mode));
    auto read = config.readPassword();
    if (password.isEmpty()) {
        QVERIFY(!read.ok());
        QVERIFY2(read.message().contains(expected), qPrintable(read.message()));
        if (!content.trimmed().isEmpty())
            QVERIFY(!read.message().contains(QString::fromUtf8(content.trimmed())));
        // The backend is not used at all then.
        config.uri = QStringLiteral("ldaps://127.0.0.1:1");
        QVERIFY(!LdapDirectory::open(config).ok());
    } else {
        QVERIFY2(read.ok(), qPrintable(read.message()));
        QCOMPARE(*read, password);
    }
}

void TestLdapConfig::escaping_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("inFilter");
    QTest::addColumn<QString>("inDn");

    QTest::newRow("plain") << "6Adurandlea"
                           << "6Adurandlea"
                           << "6Adurandlea";
    QTest::newRow("accents, apostrophe") << "6Ad'Hérouvil"
                                         << "6Ad'Hérouvil"
                                         << "6Ad'Hérouvil";
    QTest::newRow("filter specials") << "a*(b)\\c"
                                     << "a\\2a\\28b\\29\\5cc"
                                     << "a*(b)\\\\c";
    QTest::newRow("dn specials") << "a,b+c\"d<e>f;g=h"
                                 << "a,b+c\"d<e>f;g=h"
                                 << "a\\,b\\+c\\\"d\\<e\\>f\\;g\\=h";
    QTest::newRow("leading hash") << "#club"
                                  << "#club"
                                  << "\\#club";
    QTest::newRow("inner hash") << "a#b"
                                << "a#b"
                                << "a#b";
    QTest::newRow("blanks at the ends") << " ab "
                                        << " ab "
                                        << "\\ ab\\ ";
    QTest::newRow("one blank") << " "
                               << " "
                               << "\\ ";
}

void TestLdapConfig::escaping()
{
    QFETCH(QString, value);
    QFETCH(QString, inFilter);
    QFETCH(QString, inDn);
    QCOMPARE(LdapNames::filterValue(value), inFilter);
    QCOMPARE(LdapNames::dnValue(value), inDn);
}

void TestLdapConfig::serverValues()
{
    // unicodePwd: the quoted password in UTF-16LE, characters beyond Latin-1 included.
    QCOMPARE(LdapNames::unicodePassword(QStringLiteral("é€")), QByteArray("\"\0\xe9\0\xac\x20\"\0", 8));
    QCOMPARE(LdapNames::guidDn(QByteArray::fromHex("bca313f30b30d8468cb7b32aaf35c1c9")),
        QStringLiteral("<GUID=bca313f30b30d8468cb7b32aaf35c1c9>"));

    // Windows times: 100 ns steps since 1601, UTC; 0 and the largest value are "never".
    const QDateTime when(QDate(2024, 3, 18), QTime(8, 5, 12), QTimeZone(QByteArrayLiteral("Europe/Paris")));
    QCOMPARE(LdapNames::toFileTime(when), Q_INT64_C(133552191120000000));
    QCOMPARE(LdapNames::fromFileTime(Q_INT64_C(133552191120000000)), when);
    QVERIFY(!LdapNames::fromFileTime(0).isValid());
    QVERIFY(!LdapNames::fromFileTime(std::numeric_limits<qint64>::max()).isValid());

    // The domain a base lies in, where its password policies are kept.
    QCOMPARE(LdapNames::domainOf(u"OU=Ecole,DC=lycee,DC=local"_s), QStringLiteral("DC=lycee,DC=local"));
    QCOMPARE(LdapNames::domainOf(u"dc=lycee,dc=local"_s), QStringLiteral("dc=lycee,dc=local"));
    QCOMPARE(LdapNames::domainOf(u"OU=a\\,DC=b,DC=lycee,DC=local"_s), QStringLiteral("DC=lycee,DC=local"));
    QCOMPARE(LdapNames::domainOf(u"O=Ecole"_s), QStringLiteral("O=Ecole"));
}

void TestLdapConfig::unreachableServerFailsClearly()
{
    LdapConfig config;
    config.uri = QStringLiteral("ldaps://127.0.0.1:1");
    config.base = QStringLiteral("DC=velmar,DC=test");
    config.realm = QStringLiteral("velmar.test");
    config.bindDn = QStringLiteral("CN=Administrator,CN=Users,DC=velmar,DC=test");
    config.passwordFile = writePassword("S3cret-Test", 0600);
    auto directory = LdapDirectory::open(config);
    QVERIFY2(directory.ok(), qPrintable(directory.message()));

    const Status connected = (*directory)->connect();
    QVERIFY(!connected.ok());
    QVERIFY2(connected.message().contains(QStringLiteral("ne peut pas être joint")), qPrintable(connected.message()));
    QVERIFY(!connected.message().contains(QStringLiteral("S3cret-Test")));
    // Every call says the same, and tries again.
    for (const QString &path : {QStringLiteral("WinNT://SERVEUR1"), QStringLiteral("WinNT://SERVEUR1/dupont")}) {
        auto bound = (*directory)->bind(path);
        QVERIFY(!bound.ok());
        QVERIFY2(bound.message().contains(QStringLiteral("127.0.0.1:1")), qPrintable(bound.message()));
    }
}

void TestLdapConfig::silentServerFailsInBoundedTime_data()
{
    QTest::addColumn<QString>("scheme");
    QTest::newRow("ldaps") << "ldaps";
    QTest::newRow("ldap with StartTLS") << "ldap";
}

void TestLdapConfig::silentServerFailsInBoundedTime()
{
    QFETCH(QString, scheme);
    // A server that takes the connection and never says a word: the kernel accepts for it.
    const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
    QVERIFY(listener >= 0);
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    QVERIFY(::bind(listener, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0);
    QVERIFY(::listen(listener, 8) == 0);
    socklen_t length = sizeof address;
    QVERIFY(::getsockname(listener, reinterpret_cast<sockaddr *>(&address), &length) == 0);

    LdapConfig config;
    config.uri = QStringLiteral("%1://127.0.0.1:%2").arg(scheme).arg(ntohs(address.sin_port));
    config.base = QStringLiteral("DC=velmar,DC=test");
    config.realm = QStringLiteral("velmar.test");
    config.bindDn = QStringLiteral("CN=Administrator,CN=Users,DC=velmar,DC=test");
    config.passwordFile = writePassword("S3cret-Test", 0600);
    LdapDirectory::Options options;
    options.timeouts.connectMs = 1000;
    options.timeouts.operationMs = 1000;
    options.timeouts.silentServerMs = 2000;
    auto directory = LdapDirectory::open(config, options);
    QVERIFY(directory.ok());
    // The connections the server has taken so far.
    int taken = 0;
    const auto takeConnections = [&] {
        for (int fd; (fd = ::accept4(listener, nullptr, nullptr, SOCK_NONBLOCK)) >= 0; ++taken)
            ::close(fd);
    };
    QVERIFY(::fcntl(listener, F_SETFL, ::fcntl(listener, F_GETFL) | O_NONBLOCK) == 0);

    QElapsedTimer timer;
    timer.start();
    const Status connected = (*directory)->connect();
    const qint64 elapsed = timer.elapsed();
    QVERIFY(!connected.ok());
    QVERIFY2(connected.message().contains(config.uri), qPrintable(connected.message()));
    QVERIFY2(elapsed < 10000, qPrintable(QString::number(elapsed)));
    takeConnections();
    QCOMPARE(taken, 1);

    // Just after, the server is not waited for again: every call fails at once, as the first did,
    // without a new connection.
    timer.restart();
    for (const QString &path : {QStringLiteral("WinNT://SERVEUR1"), QStringLiteral("WinNT://SERVEUR1/dupont")}) {
        auto bound = (*directory)->bind(path);
        QVERIFY(!bound.ok());
        QVERIFY2(bound.message().contains(config.uri), qPrintable(bound.message()));
    }
    QVERIFY2(timer.elapsed() < 1000, qPrintable(QString::number(timer.elapsed())));
    takeConnections();
    QCOMPARE(taken, 1);

    // Once that time is over, it is tried again.
    QTest::qWait(2100);
    QVERIFY(!(*directory)->connect().ok());
    takeConnections();
    ::close(listener);
    QCOMPARE(taken, 2);
}

QTEST_GUILESS_MAIN(TestLdapConfig)
#include "tst_ldapconfig.moc"
