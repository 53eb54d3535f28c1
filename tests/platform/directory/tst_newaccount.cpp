#include "directory/newaccount.h"
#include "directory/sqlite/sqlitedirectory.h"
#include "support/forwardingdirectory.h"
#include "support/forwardingdirobject.h"

#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// Writes down each call that changes the directory, and refuses to bind the paths it is told to.
class RecordingDirectory : public ForwardingDirectory
{
public:
    explicit RecordingDirectory(Directory &inner)
        : ForwardingDirectory(inner)
    {
    }

    QStringList calls;
    QStringList refusedPaths;

    Result<DirObjectPtr> bind(const QString &adsPath) override
    {
        if (refusedPaths.contains(adsPath))
            return Status::failure(u"refusé : "_s + adsPath);
        auto bound = ForwardingDirectory::bind(adsPath);
        if (!bound)
            return bound;
        return wrap(std::move(*bound));
    }

private:
    class Object : public ForwardingDirObject
    {
    public:
        Object(DirObjectPtr inner, RecordingDirectory &owner)
            : ForwardingDirObject(std::move(inner))
            , m_owner(owner)
        {
        }
        Result<DirObjectPtr> create(DirKind kind, const QString &name) override
        {
            m_owner.calls << u"create "_s + name;
            auto made = m_inner->create(kind, name);
            if (!made)
                return made;
            return m_owner.wrap(std::move(*made));
        }
        Status put(DirProperty property, const QVariant &value) override
        {
            m_owner.calls << name() + u" put "_s + propertyName(property);
            return m_inner->put(property, value);
        }
        Status setPassword(const QString &password) override
        {
            m_owner.calls << name() + u" password"_s;
            return m_inner->setPassword(password);
        }
        Status setInfo() override
        {
            m_owner.calls << name() + u" store"_s;
            return m_inner->setInfo();
        }
        Status add(const QString &memberAdsPath) override
        {
            m_owner.calls << name() + u" add "_s + memberAdsPath.section(u'/', -1);
            return m_inner->add(memberAdsPath);
        }

    private:
        RecordingDirectory &m_owner;
    };

    DirObjectPtr wrap(DirObjectPtr inner) { return DirObjectPtr(std::make_unique<Object>(std::move(inner), *this)); }
};

const QString server = u"SRV"_s;

} // namespace

// The making of an account, step by step: which steps run, in which order, and what each became.
class TestNewAccount : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup() { m_store.reset(); }
    void steps_data();
    void steps();
    void severalAccountsOneAfterTheOther();

private:
    bool add(DirKind kind, const QString &name);

    QTemporaryDir m_dir;
    std::unique_ptr<SqliteDirectory> m_store;
};

void TestNewAccount::init()
{
    QFile::remove(m_dir.filePath(u"annuaire.db"_s));
    auto opened = SqliteDirectory::open(m_dir.filePath(u"annuaire.db"_s));
    QVERIFY2(opened, qPrintable(opened.status().message()));
    m_store = std::move(*opened);
    QVERIFY(add(DirKind::Group, u"TS8"_s));
    QVERIFY(add(DirKind::Group, u"eleves"_s));
}

bool TestNewAccount::add(DirKind kind, const QString &name)
{
    auto container = m_store->bind(u"WinNT://"_s + server);
    auto made = container ? (*container)->create(kind, name) : Result<DirObjectPtr>(container.status());
    return made && (*made)->setInfo();
}

void TestNewAccount::steps_data()
{
    QTest::addColumn<int>("passwordTime");
    QTest::addColumn<bool>("existing");
    QTest::addColumn<bool>("alreadyThere");
    QTest::addColumn<QString>("refused");
    QTest::addColumn<QStringList>("calls");
    // What became of the account, its password, its properties and each group: "ok" or the failure.
    QTest::addColumn<QStringList>("outcomes");

    const int never = int(NewAccount::PasswordTime::Never);
    const int with = int(NewAccount::PasswordTime::WithAccount);
    const int last = int(NewAccount::PasswordTime::Last);
    const QString notMade = u"le compte n'a pas été créé"_s;
    const QString taken = u"Le nom « TS8A » est déjà utilisé dans l'annuaire."_s;
    const QString groupPath = u"WinNT://SRV/eleves,group"_s;
    // clang-format off
    QTest::newRow("password last: disabled until its groups are joined")
        << last << false << false << QString()
        << QStringList {u"create TS8A"_s, u"TS8A put FullName"_s, u"TS8A put Description"_s, u"TS8A store"_s, u"TS8A put HomeDirectory"_s, u"TS8A put LoginScript"_s, u"TS8A store"_s, u"TS8 add TS8A"_s, u"TS8 store"_s, u"eleves add TS8A"_s, u"eleves store"_s, u"TS8A password"_s, u"TS8A store"_s}
        << QStringList {u"ok"_s, u"ok"_s, u"ok"_s, u"ok"_s, u"ok"_s};
    QTest::newRow("password with the account: one write")
        << with << false << false << QString()
        << QStringList {u"create TS8A"_s, u"TS8A put FullName"_s, u"TS8A put Description"_s, u"TS8A password"_s, u"TS8A store"_s, u"TS8A put HomeDirectory"_s, u"TS8A put LoginScript"_s, u"TS8A store"_s, u"TS8 add TS8A"_s, u"TS8 store"_s, u"eleves add TS8A"_s, u"eleves store"_s}
        << QStringList {u"ok"_s, u"ok"_s, u"ok"_s, u"ok"_s, u"ok"_s};
    QTest::newRow("no password")
        << never << false << false << QString()
        << QStringList {u"create TS8A"_s, u"TS8A put FullName"_s, u"TS8A put Description"_s, u"TS8A store"_s, u"TS8A put HomeDirectory"_s, u"TS8A put LoginScript"_s, u"TS8A store"_s, u"TS8 add TS8A"_s, u"TS8 store"_s, u"eleves add TS8A"_s, u"eleves store"_s}
        << QStringList {u"ok"_s, u"ok"_s, u"ok"_s, u"ok"_s, u"ok"_s};
    QTest::newRow("name taken: properties and groups set again, no password")
        << last << false << true << QString()
        << QStringList {u"create TS8A"_s, u"TS8A put HomeDirectory"_s, u"TS8A put LoginScript"_s, u"TS8A store"_s, u"TS8 add TS8A"_s, u"TS8 store"_s, u"eleves add TS8A"_s, u"eleves store"_s}
        << QStringList {taken, notMade, u"ok"_s, u"ok"_s, u"ok"_s};
    QTest::newRow("taken over: bound, not made, and given its password")
        << last << true << true << QString()
        << QStringList {u"TS8A put FullName"_s, u"TS8A put Description"_s, u"TS8A store"_s, u"TS8A put HomeDirectory"_s, u"TS8A put LoginScript"_s, u"TS8A store"_s, u"TS8 add TS8A"_s, u"TS8 store"_s, u"eleves add TS8A"_s, u"eleves store"_s, u"TS8A password"_s, u"TS8A store"_s}
        << QStringList {u"ok"_s, u"ok"_s, u"ok"_s, u"ok"_s, u"ok"_s};
    QTest::newRow("one group refused: the others and the password go on")
        << last << false << false << groupPath
        << QStringList {u"create TS8A"_s, u"TS8A put FullName"_s, u"TS8A put Description"_s, u"TS8A store"_s, u"TS8A put HomeDirectory"_s, u"TS8A put LoginScript"_s, u"TS8A store"_s, u"TS8 add TS8A"_s, u"TS8 store"_s, u"TS8A password"_s, u"TS8A store"_s}
        << QStringList {u"ok"_s, u"ok"_s, u"ok"_s, u"ok"_s, u"refusé : "_s + groupPath};
    // clang-format on
}

void TestNewAccount::steps()
{
    QFETCH(int, passwordTime);
    QFETCH(bool, existing);
    QFETCH(bool, alreadyThere);
    QFETCH(QString, refused);
    QFETCH(QStringList, calls);
    QFETCH(QStringList, outcomes);
    if (alreadyThere)
        QVERIFY(add(DirKind::User, u"TS8A"_s));

    RecordingDirectory directory(*m_store);
    if (!refused.isEmpty())
        directory.refusedPaths << refused;
    NewAccount account;
    account.login = u"TS8A"_s;
    account.fullName = u"A B"_s;
    account.description = u"membre de la classe : TS8"_s;
    account.password = u"secret"_s;
    account.passwordTime = NewAccount::PasswordTime(passwordTime);
    account.homeDirectory = u"\\\\SRV\\TS8A$"_s;
    account.logonScript = u"TS8.bat"_s;
    account.groups = {u"TS8"_s, u"eleves"_s};
    account.existing = existing;
    const AccountReport report = makeAccount(directory, server, account);

    QCOMPARE(directory.calls, calls);
    auto told = [](const Status &s) { return s ? u"ok"_s : s.message(); };
    QStringList shown {told(report.created), told(report.passwordSet), told(report.properties)};
    for (const AccountReport::GroupStep &step : report.groups)
        shown << told(step.joined);
    QCOMPARE(shown, outcomes);
    QCOMPARE(report.made(), outcomes.first() == u"ok"_s);

    // Whatever the steps went through, the account holds what it was given.
    auto user = m_store->bind(u"WinNT://SRV/TS8A,user"_s);
    QVERIFY(user);
    QCOMPARE((*user)->get(DirProperty::LoginScript).value().toString(), u"TS8.bat"_s);
}

// By default, accounts asked for together are made one after the other, each through the same calls
// as alone, and each report is the account's own.
void TestNewAccount::severalAccountsOneAfterTheOther()
{
    QVERIFY(add(DirKind::User, u"TS8B"_s));
    RecordingDirectory directory(*m_store);
    QList<NewAccount> accounts;
    for (const QString &login : {u"TS8A"_s, u"TS8B"_s}) {
        NewAccount account;
        account.login = login;
        account.password = u"secret"_s;
        account.passwordTime = NewAccount::PasswordTime::Last;
        account.logonScript = u"TS8.bat"_s;
        account.groups = {u"eleves"_s};
        accounts.append(account);
    }
    const QList<AccountReport> reports = directory.makeAccounts(server, accounts);

    // clang-format off
    QCOMPARE(directory.calls, (QStringList {
        u"create TS8A"_s, u"TS8A put FullName"_s, u"TS8A put Description"_s, u"TS8A store"_s, u"TS8A put HomeDirectory"_s, u"TS8A put LoginScript"_s, u"TS8A store"_s, u"eleves add TS8A"_s, u"eleves store"_s, u"TS8A password"_s, u"TS8A store"_s,
        u"create TS8B"_s, u"TS8B put HomeDirectory"_s, u"TS8B put LoginScript"_s, u"TS8B store"_s, u"eleves add TS8B"_s, u"eleves store"_s}));
    // clang-format on
    QCOMPARE(reports.size(), 2);
    QVERIFY(reports[0].made() && reports[0].passwordSet && reports[0].joined(u"eleves"_s));
    QVERIFY(!reports[1].made() && !reports[1].passwordSet && reports[1].properties && reports[1].joined(u"eleves"_s));
}

QTEST_MAIN(TestNewAccount)
#include "tst_newaccount.moc"
