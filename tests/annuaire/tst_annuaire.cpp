#include "directory/sqlite/sqlitedirectory.h"
#include "support/tempprogramfolder.h"

#include <QProcess>
#include <QTest>

namespace {

struct Run
{
    int status = -1;
    QByteArray out;
    QByteArray err;
};

} // namespace

// The command-line tool, run as the built program from a program folder of its own.
class TestAnnuaire : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void listings_data();
    void listings();
    void show_data();
    void show();
    void lockAndLastLogin();
    void checkPassword_data();
    void checkPassword();
    void failures_data();
    void failures();
    void help();

private:
    Run run(const QStringList &arguments, const QByteArray &input = QByteArray());

    std::unique_ptr<TempProgramFolder> m_folder;
    std::unique_ptr<SqliteDirectory> m_dir;
};

void TestAnnuaire::init()
{
    m_folder = std::make_unique<TempProgramFolder>();
    m_folder->writeSettings();
    m_folder->installPrograms();
    QVERIFY(m_folder->exists(QStringLiteral("annuaire")));
    auto opened = SqliteDirectory::open(m_folder->path() + QStringLiteral("/annuaire.db"));
    QVERIFY2(opened.ok(), qPrintable(opened.message()));
    m_dir = std::move(*opened);

    auto parent = m_dir->bind(QStringLiteral("WinNT://SERVEUR1"));
    QVERIFY(parent.ok());
    struct User
    {
        const char *name, *fullName, *password;
    };
    for (const User &u : {User {"dupont", "DUPONT Jean", "k7x2pq"}, User {"Élodie", "MARTIN Élodie", ""}}) {
        auto user = (*parent)->create(DirKind::User, QString::fromUtf8(u.name));
        QVERIFY(user.ok());
        QVERIFY((*user)->put(DirProperty::FullName, QString::fromUtf8(u.fullName)).ok());
        QVERIFY((*user)->put(DirProperty::Description, QStringLiteral("Élève de 6A")).ok());
        QVERIFY((*user)->put(DirProperty::HomeDirectory, QStringLiteral("\\\\SERVEUR1\\dupont$")).ok());
        QVERIFY((*user)->put(DirProperty::LoginScript, QStringLiteral("6A.bat")).ok());
        if (*u.password)
            QVERIFY((*user)->setPassword(QString::fromUtf8(u.password)).ok());
        QVERIFY((*user)->setInfo().ok());
    }
    for (const char *name : {"6A", "profs"}) {
        auto group = (*parent)->create(DirKind::Group, QString::fromUtf8(name));
        QVERIFY(group.ok());
        QVERIFY((*group)->put(DirProperty::GroupType, globalGroupType).ok());
        QVERIFY((*group)->setInfo().ok());
    }
    auto odd = (*parent)->create(DirKind::User, QStringLiteral("controle"));
    QVERIFY(odd.ok());
    QVERIFY((*odd)->put(DirProperty::FullName, QStringLiteral("A%1B\nC\tD").arg(QChar(0))).ok());
    QVERIFY((*odd)->setInfo().ok());
    auto sixA = m_dir->bind(QStringLiteral("WinNT://SERVEUR1/6A,group"));
    QVERIFY((*sixA)->add(QStringLiteral("WinNT://SERVEUR1/dupont")).ok());
    QVERIFY((*sixA)->add(QStringLiteral("WinNT://SERVEUR1/Élodie")).ok());
}

Run TestAnnuaire::run(const QStringList &arguments, const QByteArray &input)
{
    QProcess process;
    process.start(m_folder->path() + QStringLiteral("/annuaire"), arguments);
    Run result;
    if (!process.waitForStarted(10000))
        return result;
    process.write(input);
    process.closeWriteChannel();
    if (!process.waitForFinished(30000)) {
        process.kill();
        process.waitForFinished();
        return result;
    }
    result.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.out = process.readAllStandardOutput();
    result.err = process.readAllStandardError();
    return result;
}

void TestAnnuaire::listings_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("users") << QStringList {QStringLiteral("users")} << QByteArray("controle\ndupont\n\xc3\x89lodie\n");
    QTest::newRow("groups") << QStringList {QStringLiteral("groups")} << QByteArray("6A\nprofs\n");
    QTest::newRow("members") << QStringList {QStringLiteral("members"), QStringLiteral("6a")}
                             << QByteArray("dupont\n\xc3\x89lodie\n");
    QTest::newRow("no members") << QStringList {QStringLiteral("members"), QStringLiteral("profs")} << QByteArray();
}

void TestAnnuaire::listings()
{
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, expected);
    const Run r = run(arguments);
    QCOMPARE(r.err, QByteArray());
    QCOMPARE(r.status, 0);
    QCOMPARE(r.out, expected);
}

void TestAnnuaire::show_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("user") << "DUPONT"
                          << QByteArray("Name=dupont\nClass=User\nFullName=DUPONT Jean\n"
                                        "Description=\xc3\x89l\xc3\xa8ve de 6A\nHomeDirectory=\\\\SERVEUR1\\dupont$\n"
                                        "LoginScript=6A.bat\ngroupType=\nIsAccountLocked=false\nLastLogin=\n");
    QTest::newRow("group") << "profs"
                           << QByteArray("Name=profs\nClass=Group\nFullName=\nDescription=\nHomeDirectory=\n"
                                         "LoginScript=\ngroupType=2\nIsAccountLocked=\nLastLogin=\n");
    // A control character never cuts a value nor breaks its line: it shows as \xHH.
    QTest::newRow("control characters") << "controle"
                                        << QByteArray("Name=controle\nClass=User\nFullName=A\\x00B\\x0AC\\x09D\n"
                                                      "Description=\nHomeDirectory=\nLoginScript=\ngroupType=\n"
                                                      "IsAccountLocked=false\nLastLogin=\n");
}

void TestAnnuaire::show()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, expected);
    const Run r = run({QStringLiteral("show"), name});
    QCOMPARE(r.err, QByteArray());
    QCOMPARE(r.status, 0);
    QCOMPARE(r.out, expected);
}

void TestAnnuaire::lockAndLastLogin()
{
    auto user = m_dir->bind(QStringLiteral("WinNT://SERVEUR1/dupont,user"));
    QVERIFY(user.ok());

    QCOMPARE(run({QStringLiteral("lock"), QStringLiteral("Dupont")}).status, 0);
    QCOMPARE((*user)->get(DirProperty::IsAccountLocked)->toBool(), true);
    QCOMPARE(
        run({QStringLiteral("last-login"), QStringLiteral("dupont"), QStringLiteral("2024-03-18 08:05:12")}).status, 0);
    QCOMPARE((*user)->get(DirProperty::LastLogin)->toDateTime(), QDateTime(QDate(2024, 3, 18), QTime(8, 5, 12)));

    const Run shown = run({QStringLiteral("show"), QStringLiteral("dupont")});
    QVERIFY2(shown.out.contains("\nIsAccountLocked=true\nLastLogin=2024-03-18 08:05:12\n"), shown.out.constData());

    // Unlocking through the directory is seen by the tool.
    QVERIFY((*user)->put(DirProperty::IsAccountLocked, false).ok());
    QVERIFY((*user)->setInfo().ok());
    QVERIFY(run({QStringLiteral("show"), QStringLiteral("dupont")}).out.contains("\nIsAccountLocked=false\n"));
}

void TestAnnuaire::checkPassword_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<bool>("matches");

    QTest::newRow("right") << "dupont" << QByteArray("k7x2pq\n") << true;
    QTest::newRow("right, CR LF") << "dupont" << QByteArray("k7x2pq\r\n") << true;
    QTest::newRow("right, no line end") << "DUPONT" << QByteArray("k7x2pq") << true;
    QTest::newRow("only the first line") << "dupont" << QByteArray("k7x2pq\nautre\n") << true;
    QTest::newRow("wrong") << "dupont" << QByteArray("k7x2pQ\n") << false;
    QTest::newRow("with a trailing space") << "dupont" << QByteArray("k7x2pq \n") << false;
    QTest::newRow("empty for a password") << "dupont" << QByteArray() << false;
    QTest::newRow("no password, empty") << "Élodie" << QByteArray("\n") << true;
    QTest::newRow("no password, something") << "Élodie" << QByteArray("x\n") << false;
    QTest::newRow("missing account") << "inconnu" << QByteArray("x\n") << false;
    QTest::newRow("a group") << "6A" << QByteArray("\n") << false;
}

void TestAnnuaire::checkPassword()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, input);
    QFETCH(bool, matches);
    const Run r = run({QStringLiteral("check-password"), name}, input);
    QCOMPARE(r.status == 0, matches);
    QCOMPARE(r.out, QByteArray());
    if (!matches) {
        QVERIFY(r.status > 0);
        QVERIFY(!r.err.isEmpty());
        QVERIFY(!r.err.contains("k7x2pq"));
    }
}

void TestAnnuaire::failures_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("message"); // a part of what stderr says

    QTest::newRow("nothing") << QStringList() << 2 << "commande manquante";
    QTest::newRow("unknown verb") << QStringList {QStringLiteral("delete"), QStringLiteral("dupont")} << 2
                                  << "commande inconnue « delete »";
    QTest::newRow("missing argument") << QStringList {QStringLiteral("show")} << 2 << "attend 1 argument";
    QTest::newRow("one argument too many")
        << QStringList {QStringLiteral("users"), QStringLiteral("x")} << 2 << "attend 0 argument";
    QTest::newRow("password on the command line")
        << QStringList {QStringLiteral("check-password"), QStringLiteral("dupont"), QStringLiteral("k7x2pq")} << 2
        << "attend 1 argument";
    QTest::newRow("bad date") << QStringList {QStringLiteral("last-login"), QStringLiteral("dupont"),
        QStringLiteral("18/03/2024 08:05")}
                              << 2 << "date invalide";
    QTest::newRow("impossible date") << QStringList {QStringLiteral("last-login"), QStringLiteral("dupont"),
        QStringLiteral("2024-02-30 08:05:12")}
                                     << 2 << "date invalide";
    QTest::newRow("show missing") << QStringList {QStringLiteral("show"), QStringLiteral("inconnu")} << 1
                                  << "introuvable";
    QTest::newRow("members of a user") << QStringList {QStringLiteral("members"), QStringLiteral("dupont")} << 1
                                       << "n'est pas un groupe";
    QTest::newRow("lock a group") << QStringList {QStringLiteral("lock"), QStringLiteral("6A")} << 1 << "introuvable";
    QTest::newRow("last login of the missing")
        << QStringList {QStringLiteral("last-login"), QStringLiteral("inconnu"), QStringLiteral("2024-03-18 08:05:12")}
        << 1 << "introuvable";
    QTest::newRow("name with a slash") << QStringList {QStringLiteral("show"), QStringLiteral("a/b")} << 1
                                       << "non reconnu";
}

void TestAnnuaire::failures()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, status);
    QFETCH(QString, message);
    const Run r = run(arguments);
    QCOMPARE(r.status, status);
    QCOMPARE(r.out, QByteArray());
    QVERIFY2(QString::fromUtf8(r.err).contains(message), r.err.constData());
}

void TestAnnuaire::help()
{
    const Run r = run({QStringLiteral("--help")});
    QCOMPARE(r.status, 0);
    for (const char *verb :
        {"users", "groups", "members GROUPE", "show NOM", "lock NOM", "last-login NOM", "check-password NOM"})
        QVERIFY2(r.out.contains(verb), verb);
}

QTEST_GUILESS_MAIN(TestAnnuaire)
#include "tst_annuaire.moc"
