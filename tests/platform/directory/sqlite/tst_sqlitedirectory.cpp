#include "directory/directoryfactory.h"
#include "directory/sqlite/passwordhash.h"
#include "directory/sqlite/sqlitedirectory.h"
#include "platform/directory/directorysuite.h"
#include "support/tempprogramfolder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <openssl/evp.h>
#include <sqlite3.h>

namespace {

SqliteDirectory &sqlite(Directory &directory)
{
    return static_cast<SqliteDirectory &>(directory);
}

// Runs SQL on the file through a connection of its own, as another program would.
bool runSql(const QString &file, const char *sql)
{
    sqlite3 *db = nullptr;
    bool ok = sqlite3_open(QFile::encodeName(file).constData(), &db) == SQLITE_OK
        && sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
    if (!ok)
        qWarning("%s", sqlite3_errmsg(db));
    sqlite3_close(db);
    return ok;
}

QByteArray readAll(const QString &file)
{
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

// What only the embedded store does: its file, its factory, its transactions.
class TestSqliteDirectory : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void factoryCreatesStoreInProgramFolder();
    void factoryReportsUnusableStore_data();
    void factoryReportsUnusableStore();
    void unusableServerConfigurationNeverFallsBackToStore();
    void failingSetInfoLeavesNothing();
    void failingUpdateKeepsOldValues();
    void secondConnectionSeesChanges();
    void survivesReopenWithoutClearPasswords();
    void passwordDigestsAreTheStandardOnes_data();
    void passwordDigestsAreTheStandardOnes();

private:
    std::unique_ptr<TempProgramFolder> m_folder;
};

void TestSqliteDirectory::init()
{
    m_folder = std::make_unique<TempProgramFolder>();
    QVERIFY(m_folder->isValid());
}

void TestSqliteDirectory::factoryCreatesStoreInProgramFolder()
{
    QString problem = QStringLiteral("pas vidé");
    auto directory = openDirectory(m_folder->paths(), &problem);
    QVERIFY(directory);
    QCOMPARE(problem, QString());
    QVERIFY(m_folder->exists(QStringLiteral("annuaire.db")));
    auto parent = directory->bind(QStringLiteral("WinNT://SERVEUR1"));
    QVERIFY(parent.ok());
    auto group = (*parent)->create(DirKind::Group, QStringLiteral("eleves"));
    QVERIFY(group.ok());
    QVERIFY((*group)->setInfo().ok());

    // The same folder opened again is the same domain.
    auto again = openDirectory(m_folder->paths());
    QVERIFY(again->bind(QStringLiteral("WinNT://SERVEUR1/eleves,group")).ok());
}

void TestSqliteDirectory::factoryReportsUnusableStore_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("not a database") << "garbage";
    QTest::newRow("a folder") << "folder";
    QTest::newRow("newer version") << "newer";
}

void TestSqliteDirectory::factoryReportsUnusableStore()
{
    QFETCH(QString, kind);
    const QString file = m_folder->path() + QStringLiteral("/annuaire.db");
    if (kind == QStringLiteral("garbage"))
        m_folder->writeFile(QStringLiteral("annuaire.db"), QByteArray(4096, 'x'));
    else if (kind == QStringLiteral("folder"))
        QVERIFY(QDir().mkpath(file));
    else
        QVERIFY(runSql(file, "PRAGMA user_version = 99"));
    const QByteArray before = readAll(file);

    QString problem;
    auto directory = openDirectory(m_folder->paths(), &problem);
    QVERIFY(directory);
    QVERIFY2(problem.contains(QStringLiteral("annuaire")), qPrintable(problem));
    auto bound = directory->bind(QStringLiteral("WinNT://SERVEUR1"));
    QVERIFY(!bound.ok());
    QCOMPARE(bound.message(), problem);
    QCOMPARE(readAll(file), before); // nothing written over what is there
}

void TestSqliteDirectory::unusableServerConfigurationNeverFallsBackToStore()
{
    // Working on the embedded store while the administrator meant a server would lose every change.
    m_folder->writeFile(QStringLiteral("annuaire.conf"), "serveur=ldap://dc1\r\n");
    QString problem;
    auto directory = openDirectory(m_folder->paths(), &problem);
    QVERIFY(directory);
    QVERIFY2(problem.contains(QStringLiteral("annuaire.conf")), qPrintable(problem));
    QVERIFY(!directory->bind(QStringLiteral("WinNT://SERVEUR1")).ok());
    QVERIFY(!m_folder->exists(QStringLiteral("annuaire.db")));
}

void TestSqliteDirectory::failingSetInfoLeavesNothing()
{
    const QString file = m_folder->path() + QStringLiteral("/annuaire.db");
    auto directory = SqliteDirectory::open(file);
    QVERIFY(directory.ok());
    // The disk refuses the password half way through storing the account.
    QVERIFY(runSql(file,
        "CREATE TRIGGER refuse BEFORE UPDATE OF password ON objects "
        "BEGIN SELECT RAISE(ABORT, 'disque refusé'); END"));

    auto parent = (*directory)->bind(QStringLiteral("WinNT://SERVEUR1"));
    auto user = (*parent)->create(DirKind::User, QStringLiteral("dupont"));
    QVERIFY(user.ok());
    QVERIFY((*user)->put(DirProperty::FullName, QStringLiteral("Dupont Jean")).ok());
    QVERIFY((*user)->setPassword(QStringLiteral("k7x2pq")).ok());
    const Status stored = (*user)->setInfo();
    QVERIFY(!stored.ok());
    QVERIFY(!stored.message().isEmpty());
    QVERIFY(!(*directory)->bind(QStringLiteral("WinNT://SERVEUR1/dupont")).ok());

    // Once the disk accepts again, the same handle stores everything it was given.
    QVERIFY(runSql(file, "DROP TRIGGER refuse"));
    QVERIFY((*user)->setInfo().ok());
    auto bound = (*directory)->bind(QStringLiteral("WinNT://SERVEUR1/dupont,user"));
    QVERIFY(bound.ok());
    QCOMPARE((*bound)->get(DirProperty::FullName)->toString(), QStringLiteral("Dupont Jean"));
    QCOMPARE(*(*directory)->checkPassword(QStringLiteral("dupont"), QStringLiteral("k7x2pq")), true);
}

void TestSqliteDirectory::failingUpdateKeepsOldValues()
{
    const QString file = m_folder->path() + QStringLiteral("/annuaire.db");
    auto directory = SqliteDirectory::open(file);
    auto parent = (*directory)->bind(QStringLiteral("WinNT://SERVEUR1"));
    auto user = (*parent)->create(DirKind::User, QStringLiteral("dupont"));
    QVERIFY((*user)->put(DirProperty::Description, QStringLiteral("avant")).ok());
    QVERIFY((*user)->setPassword(QStringLiteral("avant")).ok());
    QVERIFY((*user)->setInfo().ok());
    QVERIFY(runSql(file,
        "CREATE TRIGGER refuse BEFORE UPDATE OF password ON objects "
        "BEGIN SELECT RAISE(ABORT, 'disque refusé'); END"));

    QVERIFY((*user)->put(DirProperty::Description, QStringLiteral("après")).ok());
    QVERIFY((*user)->setPassword(QStringLiteral("après")).ok());
    QVERIFY(!(*user)->setInfo().ok());
    auto bound = (*directory)->bind(QStringLiteral("WinNT://SERVEUR1/dupont,user"));
    QCOMPARE((*bound)->get(DirProperty::Description)->toString(), QStringLiteral("avant"));
    QCOMPARE(*(*directory)->checkPassword(QStringLiteral("dupont"), QStringLiteral("avant")), true);
}

void TestSqliteDirectory::secondConnectionSeesChanges()
{
    const QString file = m_folder->path() + QStringLiteral("/annuaire.db");
    auto velmar = SqliteDirectory::open(file);
    auto tool = SqliteDirectory::open(file);
    QVERIFY(velmar.ok());
    QVERIFY(tool.ok());
    auto parent = (*velmar)->bind(QStringLiteral("WinNT://SERVEUR1"));
    auto user = (*parent)->create(DirKind::User, QStringLiteral("dupont"));
    QVERIFY((*user)->setInfo().ok());

    // A handle bound before the other program acted reads what it did.
    auto held = (*velmar)->bind(QStringLiteral("WinNT://SERVEUR1/dupont,user"));
    QVERIFY(held.ok());
    QVERIFY((*tool)->setAccountLocked(QStringLiteral("dupont"), true).ok());
    QCOMPARE((*held)->get(DirProperty::IsAccountLocked)->toBool(), true);
    auto toolParent = (*tool)->bind(QStringLiteral("WinNT://SERVEUR1"));
    QVERIFY((*toolParent)->deleteObject(DirKind::User, QStringLiteral("dupont")).ok());
    QVERIFY(!(*held)->get(DirProperty::IsAccountLocked).ok());
}

void TestSqliteDirectory::survivesReopenWithoutClearPasswords()
{
    const QString file = m_folder->path() + QStringLiteral("/annuaire.db");
    const QString password = QStringLiteral("Zq9wXv4k");
    {
        auto directory = SqliteDirectory::open(file);
        auto parent = (*directory)->bind(QStringLiteral("WinNT://SERVEUR1"));
        auto user = (*parent)->create(DirKind::User, QStringLiteral("dupont"));
        QVERIFY((*user)->setPassword(password).ok());
        QVERIFY((*user)->setInfo().ok());
        QVERIFY(!readAll(file).contains(password.toUtf8()));
        QVERIFY(!readAll(file + QStringLiteral("-wal")).contains(password.toUtf8()));
    }
    auto directory = SqliteDirectory::open(file);
    QVERIFY(directory.ok());
    QCOMPARE(*(*directory)->checkPassword(QStringLiteral("dupont"), password), true);
    QVERIFY(!readAll(file).contains(password.toUtf8()));
}

void TestSqliteDirectory::passwordDigestsAreTheStandardOnes_data()
{
    QTest::addColumn<QString>("password");
    QTest::addColumn<int>("iterations");
    // clang-format off
    QTest::newRow("six characters, one iteration") << "Ab3dEf" << 1;
    QTest::newRow("six characters, two iterations") << "Ab3dEf" << 2;
    QTest::newRow("the default cost") << "Zq9wXv" << PasswordHash::defaultIterations;
    QTest::newRow("empty") << "" << 3;
    QTest::newRow("accents") << "élève€" << 5;
    QTest::newRow("a key of one whole block") << QString(64, u'k') << 4;
    QTest::newRow("a key longer than a block") << QString(65, u'k') << 4;
    // clang-format on
}

void TestSqliteDirectory::passwordDigestsAreTheStandardOnes()
{
    QFETCH(QString, password);
    QFETCH(int, iterations);
    const QByteArray made = PasswordHash::make(password, iterations);
    const QList<QByteArray> parts = made.split('$');
    QCOMPARE(parts.size(), 4);
    QCOMPARE(parts[0], QByteArray("pbkdf2-sha256"));
    QCOMPARE(parts[1].toInt(), iterations);

    // The same digest as the standard derivation gives, so that every stored password stays readable.
    const QByteArray salt = QByteArray::fromBase64(parts[2]);
    const QByteArray utf8 = password.toUtf8();
    QByteArray expected(32, Qt::Uninitialized);
    QVERIFY(
        PKCS5_PBKDF2_HMAC(utf8.constData(), int(utf8.size()), reinterpret_cast<const unsigned char *>(salt.constData()),
            int(salt.size()), iterations, EVP_sha256(), 32, reinterpret_cast<unsigned char *>(expected.data()))
        == 1);
    QCOMPARE(QByteArray::fromBase64(parts[3]), expected);

    QVERIFY(PasswordHash::matches(password, made));
    QVERIFY(!PasswordHash::matches(password + u'x', made));
}

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    int failures = 0;

    // The shared behaviour, on a fresh store file for each test. A low password cost keeps it quick.
    QTemporaryDir folder;
    int serial = 0;
    DirectoryBackend backend;
    backend.make = [&]() -> std::unique_ptr<Directory> {
        SqliteDirectory::Options options;
        options.passwordIterations = 1000;
        auto opened = SqliteDirectory::open(folder.filePath(QStringLiteral("annuaire%1.db").arg(++serial)), options);
        if (!opened) {
            qWarning("%s", qPrintable(opened.message()));
            return nullptr;
        }
        return std::move(*opened);
    };
    backend.setLocked
        = [](Directory &d, const QString &user, bool locked) { return sqlite(d).setAccountLocked(user, locked); };
    backend.setLastLogin
        = [](Directory &d, const QString &user, const QDateTime &when) { return sqlite(d).setLastLogin(user, when); };
    backend.checkPassword = [](Directory &d, const QString &user, const QString &password) {
        return sqlite(d).checkPassword(user, password);
    };
    DirectorySuite suite(backend);
    failures += QTest::qExec(&suite, argc, argv);

    TestSqliteDirectory own;
    failures += QTest::qExec(&own, argc, argv);
    return failures;
}

#include "tst_sqlitedirectory.moc"
