#include "directory/directoryfactory.h"
#include "directory/ldap/ldapdirectory.h"
#include "directory/ldap/ldapnames.h"
#include "platform/directory/directorysuite.h"
#include "support/dcfixture.h"
#include "support/tempprogramfolder.h"

#include <QFile>
#include <QTest>

#include <atomic>
#include <thread>

#include <sys/stat.h>

namespace {

const QString P = QStringLiteral("WinNT://SERVEUR1");

// The suite's fresh directory: an organisational unit of its own, emptied before each test. Tiny
// pages and member ranges make every listing go through paging and ranges as on a big domain.
const QString suiteUnit = QStringLiteral("Suite");
const QString ownUnit = QStringLiteral("Velmar");

LdapDirectory &asLdap(Directory &directory)
{
    return static_cast<LdapDirectory &>(directory);
}

#define CHECK_OK(expr)                                                                                                 \
    do {                                                                                                               \
        const auto &checked_ = (expr);                                                                                 \
        QVERIFY2(checked_.ok(), qPrintable(checked_.message()));                                                       \
    } while (false)

// Raw values of an account, read as the administrator behind the backend's back.
LdapEntry rawEntry(DcFixture &dc, const QString &name, const QStringList &attributes)
{
    QList<LdapEntry> entries;
    const LdapReply reply = dc.admin().search(QString::fromLatin1(DcFixture::base), LdapConnection::Scope::Subtree,
        QStringLiteral("(sAMAccountName=%1)").arg(LdapNames::filterValue(name)), attributes, &entries);
    if (!reply.ok() || entries.isEmpty()) {
        qWarning("%s: %s", qPrintable(name), qPrintable(reply.diagnostic));
        return {};
    }
    return entries.first();
}

} // namespace

// What only the domain controller does: its own records of logons and locks, its password policy,
// TLS, the connection's life, and names that need escaping.
class TestSambaDirectory : public QObject
{
    Q_OBJECT

public:
    explicit TestSambaDirectory(DcFixture &dc)
        : m_dc(dc)
    {
    }

private Q_SLOTS:
    void init();
    void accountsAsWindowsMakesThem();
    void accountWithoutPasswordStaysDisabledUntilGivenOne();
    void passwordRefusedByPolicyStoresNothing();
    void pupilsPolicyAdmitsShortPasswordsOfMembersOnly();
    void nameTakenOutsideTheBase();
    void lockedByFailedLogonsThenUnlocked();
    void lastLoginFromARealLogon();
    void namesThatNeedEscaping_data();
    void namesThatNeedEscaping();
    void tls_data();
    void tls();
    void wrongBindPasswordSaysSo();
    void factoryPicksTheServer();
    void factoryRefusesReadablePasswordFile();
    void reconnectsAfterTheServerRestarted();
    void accountsMadeTogether_data();
    void accountsMadeTogether();
    void dcStoppingUnderABatch();

private:
    std::unique_ptr<LdapDirectory> open(const LdapConfig &config);
    DirObjectPtr bind(const QString &path);
    Status makeUser(const QString &name, const QString &password);

    DcFixture &m_dc;
    std::unique_ptr<LdapDirectory> m_dir;
};

std::unique_ptr<LdapDirectory> TestSambaDirectory::open(const LdapConfig &config)
{
    auto opened = LdapDirectory::open(config);
    if (!opened) {
        qWarning("%s", qPrintable(opened.message()));
        return nullptr;
    }
    return std::move(*opened);
}

void TestSambaDirectory::init()
{
    // Account names are the whole domain's: what the suite left must go too.
    CHECK_OK(m_dc.freshUnit(suiteUnit));
    auto unit = m_dc.freshUnit(ownUnit);
    QVERIFY2(unit.ok(), qPrintable(unit.message()));
    auto config = m_dc.config(*unit);
    QVERIFY(config.ok());
    m_dir = open(*config);
    QVERIFY(m_dir);
}

DirObjectPtr TestSambaDirectory::bind(const QString &path)
{
    auto bound = m_dir->bind(path);
    if (!bound) {
        qWarning("%s", qPrintable(bound.message()));
        return nullptr;
    }
    return std::move(*bound);
}

Status TestSambaDirectory::makeUser(const QString &name, const QString &password)
{
    auto parent = bind(P);
    auto user = parent->create(DirKind::User, name);
    if (!user)
        return user.status();
    if (!password.isEmpty()) {
        if (const Status set = (*user)->setPassword(password); !set)
            return set;
    }
    return (*user)->setInfo();
}

void TestSambaDirectory::accountsAsWindowsMakesThem()
{
    auto parent = bind(P);
    auto user = parent->create(DirKind::User, QStringLiteral("6Adurandlea"));
    CHECK_OK((*user)->put(DirProperty::FullName, QStringLiteral("DURAND Léa")));
    CHECK_OK((*user)->put(DirProperty::HomeDirectory, QStringLiteral("\\\\SERVEUR1\\6Adurandlea$")));
    CHECK_OK((*user)->put(DirProperty::LoginScript, QStringLiteral("6A.bat")));
    CHECK_OK((*user)->setPassword(QStringLiteral("Cahier-2024")));
    CHECK_OK((*user)->setInfo());
    auto group = parent->create(DirKind::Group, QStringLiteral("6A"));
    CHECK_OK((*group)->put(DirProperty::GroupType, globalGroupType));
    CHECK_OK((*group)->setInfo());

    const LdapEntry account = rawEntry(m_dc, QStringLiteral("6Adurandlea"),
        {QStringLiteral("userPrincipalName"), QStringLiteral("userAccountControl"), QStringLiteral("displayName"),
            QStringLiteral("homeDirectory"), QStringLiteral("scriptPath")});
    QCOMPARE(account.dn, QStringLiteral("CN=6Adurandlea,CN=Users,OU=Velmar,DC=velmar,DC=test"));
    QCOMPARE(account.text(QStringLiteral("userPrincipalName")), QStringLiteral("6Adurandlea@velmar.test"));
    QCOMPARE(account.text(QStringLiteral("userAccountControl")), QStringLiteral("512"));
    QCOMPARE(account.text(QStringLiteral("displayName")), QStringLiteral("DURAND Léa"));
    QCOMPARE(account.text(QStringLiteral("homeDirectory")), QStringLiteral("\\\\SERVEUR1\\6Adurandlea$"));
    QCOMPARE(account.text(QStringLiteral("scriptPath")), QStringLiteral("6A.bat"));
    const LdapEntry sixA = rawEntry(m_dc, QStringLiteral("6A"), {QStringLiteral("groupType")});
    QCOMPARE(sixA.text(QStringLiteral("groupType")), QStringLiteral("-2147483646"));

    // Listing users leaves computers out, though they are users to the server too.
    QStringList users;
    auto whole = LdapDirectory::open(*m_dc.config());
    auto domain = (*whole)->bind(P);
    CHECK_OK((*domain)->enumerate({DirListed::User}, [&](const DirEntry &e) { users.append(e.name); }));
    QVERIFY(users.contains(QStringLiteral("Administrator")));
    QVERIFY(users.contains(QStringLiteral("6Adurandlea")));
    QVERIFY(!users.contains(QStringLiteral("DC1$")));
    CHECK_OK((*domain)->enumerate({DirListed::GlobalGroup}, [&](const DirEntry &e) { users.append(e.name); }));
    QVERIFY(users.contains(QStringLiteral("Domain Users")));
    QVERIFY(!(*whole)->bind(P + QStringLiteral("/DC1$")).ok());
}

void TestSambaDirectory::accountWithoutPasswordStaysDisabledUntilGivenOne()
{
    // A teacher's account is made without a password.
    CHECK_OK(makeUser(QStringLiteral("martinpaul"), QString()));
    QCOMPARE(rawEntry(m_dc, QStringLiteral("martinpaul"), {QStringLiteral("userAccountControl")})
                 .text(QStringLiteral("userAccountControl")),
        QStringLiteral("514"));
    auto user = bind(P + QStringLiteral("/martinpaul,user"));
    CHECK_OK(user->put(DirProperty::Description, QStringLiteral("Professeur de lettres")));
    CHECK_OK(user->setPassword(QStringLiteral("Lettres-24")));
    CHECK_OK(user->setInfo());
    QCOMPARE(rawEntry(m_dc, QStringLiteral("martinpaul"), {QStringLiteral("userAccountControl")})
                 .text(QStringLiteral("userAccountControl")),
        QStringLiteral("512"));
    QCOMPARE(*m_dir->checkPassword(QStringLiteral("martinpaul"), QStringLiteral("Lettres-24")), true);
}

void TestSambaDirectory::passwordRefusedByPolicyStoresNothing()
{
    auto parent = bind(P);
    auto user = parent->create(DirKind::User, QStringLiteral("dupont"));
    CHECK_OK((*user)->put(DirProperty::FullName, QStringLiteral("Dupont Jean")));
    CHECK_OK((*user)->setPassword(QStringLiteral("abc")));
    const Status stored = (*user)->setInfo();
    QVERIFY(!stored.ok());
    QVERIFY2(
        stored.message().contains(QStringLiteral("refusé par la stratégie du domaine")), qPrintable(stored.message()));
    QVERIFY(!stored.message().contains(QStringLiteral("abc\"")));
    QVERIFY(!m_dir->bind(P + QStringLiteral("/dupont")).ok());

    // The same on an existing account: the old password stays.
    CHECK_OK(makeUser(QStringLiteral("dupont"), QStringLiteral("Cahier-2024")));
    auto bound = bind(P + QStringLiteral("/dupont"));
    CHECK_OK(bound->setPassword(QString()));
    CHECK_OK(bound->put(DirProperty::Description, QStringLiteral("jamais écrite")));
    const Status changed = bound->setInfo();
    QVERIFY2(changed.message().contains(QStringLiteral("stratégie du domaine")), qPrintable(changed.message()));
    QCOMPARE(bind(P + QStringLiteral("/dupont"))->get(DirProperty::Description)->toString(), QString());
    QCOMPARE(*m_dir->checkPassword(QStringLiteral("dupont"), QStringLiteral("Cahier-2024")), true);
}

void TestSambaDirectory::pupilsPolicyAdmitsShortPasswordsOfMembersOnly()
{
    const QString alphabet = QStringLiteral("abcdefghijklmnopqrstuvwxyz123456789");
    auto parent = bind(P);
    for (const QString &name : {QStringLiteral("eleves"), QStringLiteral("profs")}) {
        auto group = parent->create(DirKind::Group, name);
        CHECK_OK((*group)->setInfo());
    }
    const QString eleves = m_dir->session().require(QStringLiteral("eleves"), QStringLiteral("Group"))->dn;

    // samba-tool's own policy, which no generated password meets.
    auto before = m_dir->passwordPolicyOfMembers(QStringLiteral("eleves"));
    CHECK_OK(before);
    QCOMPARE(before->source, PasswordPolicy::Source::Domain);
    QCOMPARE(before->minimumLength, 7);
    QVERIFY(before->complexity);
    QCOMPARE(before->historyLength, 24);
    QCOMPARE(before->maximumAge, std::chrono::seconds(42 * 24 * 3600));
    QVERIFY(!before->admits(6, alphabet));

    PasswordPolicy settings;
    settings.minimumLength = 6;
    QCOMPARE(*m_dir->ensureGroupPasswordPolicy(QStringLiteral("eleves"), settings), true);
    QCOMPARE(*m_dir->ensureGroupPasswordPolicy(QStringLiteral("eleves"), settings), false);
    const QStringList applied = m_dc.policiesAppliedTo(eleves);
    QCOMPARE(applied.size(), 1);
    auto after = m_dir->passwordPolicyOfMembers(QStringLiteral("eleves"));
    CHECK_OK(after);
    QCOMPARE(after->source, PasswordPolicy::Source::Group);
    QCOMPARE(after->name, QStringLiteral("velmar-eleves"));
    QCOMPARE(after->minimumLength, 6);
    QVERIFY(!after->complexity);
    QCOMPARE(after->historyLength, 0);
    QCOMPARE(after->minimumAge, std::chrono::seconds(0));
    QCOMPARE(after->maximumAge, std::chrono::seconds(0));
    // Locking stays the domain's.
    QList<LdapEntry> raw;
    m_dc.admin().search(QString::fromLatin1(DcFixture::base), LdapConnection::Scope::Base,
        QStringLiteral("(objectClass=*)"), {QStringLiteral("lockoutThreshold"), QStringLiteral("lockoutDuration")},
        &raw);
    const LdapEntry domain = raw.value(0);
    QVERIFY(domain.has(QStringLiteral("lockoutDuration")));
    raw.clear();
    m_dc.admin().search(applied.first(), LdapConnection::Scope::Base, QStringLiteral("(objectClass=*)"),
        {QStringLiteral("msDS-LockoutThreshold"), QStringLiteral("msDS-LockoutDuration")}, &raw);
    QCOMPARE(
        raw.value(0).text(QStringLiteral("msDS-LockoutThreshold")), domain.text(QStringLiteral("lockoutThreshold")));
    QCOMPARE(raw.value(0).text(QStringLiteral("msDS-LockoutDuration")), domain.text(QStringLiteral("lockoutDuration")));
    // Other groups' members meet the domain's.
    QCOMPARE(m_dir->passwordPolicyOfMembers(QStringLiteral("profs"))->source, PasswordPolicy::Source::Domain);

    // A pupil's password, refused outside eleves...
    const Status outside = makeUser(QStringLiteral("horsgroupe"), QStringLiteral("abc123"));
    QVERIFY2(outside.message().contains(QStringLiteral("stratégie du domaine")), qPrintable(outside.message()));
    // ...and taken by a member, whose password then never expires.
    CHECK_OK(makeUser(QStringLiteral("6Adurand"), QString()));
    auto group = bind(P + QStringLiteral("/eleves,group"));
    CHECK_OK(group->add(P + QStringLiteral("/6Adurand")));
    CHECK_OK(group->setInfo());
    auto pupil = bind(P + QStringLiteral("/6Adurand,user"));
    CHECK_OK(pupil->setPassword(QStringLiteral("abc123")));
    CHECK_OK(pupil->setInfo());
    QCOMPARE(*m_dir->checkPassword(QStringLiteral("6Adurand"), QStringLiteral("abc123")), true);
    const LdapEntry account = rawEntry(m_dc, QStringLiteral("6Adurand"),
        {QStringLiteral("userAccountControl"), QStringLiteral("msDS-UserPasswordExpiryTimeComputed")});
    QCOMPARE(account.text(QStringLiteral("userAccountControl")), QStringLiteral("512"));
    QCOMPARE(
        account.text(QStringLiteral("msDS-UserPasswordExpiryTimeComputed")), QStringLiteral("9223372036854775807"));

    // Taken off the group by hand: the domain's policy again, until the policy is applied anew.
    const LdapReply unapplied = m_dc.admin().modify(
        applied.first(), {LdapMod {LdapMod::Delete, QStringLiteral("msDS-PSOAppliesTo"), {eleves.toUtf8()}}});
    QVERIFY2(unapplied.ok(), qPrintable(unapplied.diagnostic));
    QCOMPARE(m_dir->passwordPolicyOfMembers(QStringLiteral("eleves"))->source, PasswordPolicy::Source::Domain);
    QCOMPARE(*m_dir->ensureGroupPasswordPolicy(QStringLiteral("eleves"), settings), true);
    QCOMPARE(m_dc.policiesAppliedTo(eleves), applied);

    // A group that is not there has no members to meet a policy.
    QVERIFY(!m_dir->passwordPolicyOfMembers(QStringLiteral("inconnu")).ok());
    QVERIFY(!m_dir->ensureGroupPasswordPolicy(QStringLiteral("6Adurand"), settings).ok());
}

void TestSambaDirectory::nameTakenOutsideTheBase()
{
    // The account names are the whole domain's, whatever part of it the program works in.
    const Status stored = makeUser(QStringLiteral("administrator"), QStringLiteral("Cahier-2024"));
    QVERIFY(!stored.ok());
    QVERIFY2(
        stored.message().contains(QStringLiteral("« administrator » est déjà utilisé")), qPrintable(stored.message()));
}

void TestSambaDirectory::lockedByFailedLogonsThenUnlocked()
{
    CHECK_OK(makeUser(QStringLiteral("dupont"), QStringLiteral("Cahier-2024")));
    auto user = bind(P + QStringLiteral("/dupont,user"));
    QCOMPARE(user->get(DirProperty::IsAccountLocked)->toBool(), false);

    // A policy of the test's own locks the account at the third wrong password.
    auto account = m_dir->session().require(QStringLiteral("dupont"), QStringLiteral("User"));
    CHECK_OK(account);
    CHECK_OK(m_dc.lockAfterThreeFailures(account->dn));
    for (int i = 0; i < 3; ++i)
        QCOMPARE(*m_dir->checkPassword(QStringLiteral("dupont"), QStringLiteral("mauvais")), false);
    QCOMPARE(user->get(DirProperty::IsAccountLocked)->toBool(), true);
    QCOMPARE(*m_dir->checkPassword(QStringLiteral("dupont"), QStringLiteral("Cahier-2024")), false);
    QVERIFY(!rawEntry(m_dc, QStringLiteral("dupont"), {QStringLiteral("lockoutTime")})
                 .text(QStringLiteral("lockoutTime"))
                 .startsWith(u'0'));

    CHECK_OK(user->put(DirProperty::IsAccountLocked, false));
    CHECK_OK(user->setInfo());
    QCOMPARE(bind(P + QStringLiteral("/dupont"))->get(DirProperty::IsAccountLocked)->toBool(), false);
    QCOMPARE(*m_dir->checkPassword(QStringLiteral("dupont"), QStringLiteral("Cahier-2024")), true);
}

void TestSambaDirectory::lastLoginFromARealLogon()
{
    CHECK_OK(makeUser(QStringLiteral("dupont"), QStringLiteral("Cahier-2024")));
    auto user = bind(P + QStringLiteral("/dupont,user"));
    QVERIFY(!user->get(DirProperty::LastLogin)->toDateTime().isValid());
    const QDateTime before = QDateTime::currentDateTime().addSecs(-2);
    QCOMPARE(*m_dir->checkPassword(QStringLiteral("dupont"), QStringLiteral("Cahier-2024")), true);
    const QDateTime last = user->get(DirProperty::LastLogin)->toDateTime();
    QVERIFY2(last >= before && last <= QDateTime::currentDateTime().addSecs(2), qPrintable(last.toString(Qt::ISODate)));
}

void TestSambaDirectory::namesThatNeedEscaping_data()
{
    QTest::addColumn<DirKind>("kind");
    QTest::addColumn<QString>("name");

    // clang-format off
    QTest::newRow("leading hash") << DirKind::Group << "#club";
    QTest::newRow("parentheses and star-like") << DirKind::Group << "sport (été)";
    QTest::newRow("apostrophe and accents") << DirKind::User << "6Ad'Hérouvil";
    QTest::newRow("blank inside") << DirKind::User << "jean du pont";
    QTest::newRow("ampersand, percent") << DirKind::Group << "A&B 100%";
    // clang-format on
}

void TestSambaDirectory::namesThatNeedEscaping()
{
    QFETCH(DirKind, kind);
    QFETCH(QString, name);
    auto parent = bind(P);
    auto made = parent->create(kind, name);
    CHECK_OK(made);
    CHECK_OK((*made)->put(DirProperty::Description, name));
    CHECK_OK((*made)->setInfo());

    auto bound = m_dir->bind(P + u'/' + name + u',' + classNameOf(kind));
    CHECK_OK(bound);
    QCOMPARE((*bound)->name(), name);
    QCOMPARE((*bound)->get(DirProperty::Description)->toString(), name);
    QStringList listed;
    CHECK_OK(parent->enumerate({}, [&](const DirEntry &e) { listed.append(e.name); }));
    QCOMPARE(listed, QStringList {name});

    // In a group and out of it again.
    auto holder = parent->create(DirKind::Group, QStringLiteral("porteur"));
    CHECK_OK((*holder)->setInfo());
    auto group = bind(P + QStringLiteral("/porteur,group"));
    CHECK_OK(group->add((*bound)->adsPath()));
    QStringList members;
    CHECK_OK(group->members([&](const DirEntry &e) { members.append(e.name); }));
    QCOMPARE(members, QStringList {name});
    CHECK_OK(group->remove((*bound)->adsPath()));
    CHECK_OK(parent->deleteObject(kind, name));
    QVERIFY(!m_dir->bind(P + u'/' + name).ok());
}

void TestSambaDirectory::tls_data()
{
    QTest::addColumn<QString>("uri");
    QTest::addColumn<bool>("verify");
    QTest::addColumn<bool>("withCa");
    QTest::addColumn<bool>("reached");

    QTest::newRow("ldaps, demand, test CA") << "ldaps://127.0.0.1" << true << true << true;
    QTest::newRow("StartTLS, demand, test CA") << "ldap://127.0.0.1" << true << true << true;
    QTest::newRow("ldaps, demand, unknown CA") << "ldaps://127.0.0.1" << true << false << false;
    QTest::newRow("StartTLS, demand, unknown CA") << "ldap://127.0.0.1" << true << false << false;
    QTest::newRow("ldaps, never") << "ldaps://127.0.0.1" << false << false << true;
    QTest::newRow("StartTLS, never") << "ldap://127.0.0.1" << false << false << true;
}

void TestSambaDirectory::tls()
{
    QFETCH(QString, uri);
    QFETCH(bool, verify);
    QFETCH(bool, withCa);
    QFETCH(bool, reached);
    auto config = m_dc.config();
    config->uri = uri;
    config->verifyServer = verify;
    config->caFile = withCa ? m_dc.caFile() : QString();
    auto directory = open(*config);
    QVERIFY(directory);
    const Status connected = directory->connect();
    QVERIFY2(connected.ok() == reached, qPrintable(connected.message()));
    if (!reached)
        return;
    // Passwords go over it.
    QVERIFY(directory->session().connection().isEncrypted());
    auto parent = directory->bind(P);
    static int serial = 0;
    auto user = (*parent)->create(DirKind::User, QStringLiteral("tls%1").arg(++serial));
    CHECK_OK((*user)->setPassword(QStringLiteral("Cahier-2024")));
    CHECK_OK((*user)->setInfo());
    CHECK_OK((*parent)->deleteObject(DirKind::User, (*user)->name()));
}

void TestSambaDirectory::wrongBindPasswordSaysSo()
{
    QTemporaryDir folder;
    auto config = m_dc.config();
    config->passwordFile = folder.filePath(QStringLiteral("bindpass"));
    QFile file(config->passwordFile);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("Pas-le-bon-1");
    file.close();
    QVERIFY(file.setPermissions(QFile::ReadOwner | QFile::WriteOwner));
    auto directory = open(*config);
    const Status connected = directory->connect();
    QVERIFY(!connected.ok());
    QVERIFY2(connected.message().contains(QStringLiteral("refuse le compte")), qPrintable(connected.message()));
    QVERIFY(!connected.message().contains(QStringLiteral("Pas-le-bon-1")));
}

void TestSambaDirectory::factoryPicksTheServer()
{
    TempProgramFolder folder;
    const Status pointed = DcFixture::pointProgramFolder(folder.path());
    QVERIFY2(pointed.ok(), qPrintable(pointed.message()));
    QString problem = QStringLiteral("pas vidé");
    auto directory = openDirectory(folder.paths(), &problem);
    QCOMPARE(problem, QString());
    auto user = directory->bind(P + QStringLiteral("/Administrator,user"));
    CHECK_OK(user);
    QVERIFY(!folder.exists(QStringLiteral("annuaire.db")));
}

void TestSambaDirectory::factoryRefusesReadablePasswordFile()
{
    TempProgramFolder folder;
    auto config = m_dc.config();
    folder.writeFile(QStringLiteral("motdepasse"), m_dc.adminPassword().toUtf8());
    ::chmod(QFile::encodeName(folder.path() + QStringLiteral("/motdepasse")).constData(), 0644);
    folder.writeFile(QStringLiteral("annuaire.conf"),
        QStringLiteral("uri=%1\nbase=%2\nbinddn=%3\npasswordfile=motdepasse\n"
                       "cafile=%4\n")
            .arg(config->uri, config->base, config->bindDn, m_dc.caFile())
            .toUtf8());
    QString problem;
    auto directory = openDirectory(folder.paths(), &problem);
    QVERIFY2(problem.contains(QStringLiteral("chmod 600")), qPrintable(problem));
    QVERIFY(!directory->bind(P).ok());

    ::chmod(QFile::encodeName(folder.path() + QStringLiteral("/motdepasse")).constData(), 0600);
    directory = openDirectory(folder.paths(), &problem);
    QCOMPARE(problem, QString());
    CHECK_OK(directory->bind(P));
}

void TestSambaDirectory::reconnectsAfterTheServerRestarted()
{
    CHECK_OK(makeUser(QStringLiteral("dupont"), QStringLiteral("Cahier-2024")));
    auto held = bind(P);
    CHECK_OK(m_dc.restart());
    // The DC came back from its tarball: the unit and the account made before are gone.
    CHECK_OK(m_dc.freshUnit(ownUnit));
    // Someone else makes an account meanwhile.
    QVERIFY(m_dc.admin()
                .add(QStringLiteral("CN=martin,CN=Users,OU=Velmar,") + QString::fromLatin1(DcFixture::base),
                    {LdapMod {LdapMod::Add, QStringLiteral("objectClass"), {"user"}},
                        LdapMod {LdapMod::Add, QStringLiteral("sAMAccountName"), {"martin"}}})
                .ok());
    // The connection dropped under the program: the next call opens it again, and what was known
    // from before counts no more.
    auto user = m_dir->bind(P + QStringLiteral("/martin"));
    CHECK_OK(user);
    auto gone = m_dir->bind(P + QStringLiteral("/dupont"));
    QVERIFY(!gone.ok());
    QVERIFY2(gone.message().contains(QStringLiteral("introuvable")), qPrintable(gone.message()));
    auto made = held->create(DirKind::User, QStringLiteral("dupont"));
    CHECK_OK((*made)->setInfo());
}

namespace {

// Pupils of TS8 made together, their password last, as the bulk creation makes them.
QList<NewAccount> pupilsOfTs8(const QStringList &logins)
{
    QList<NewAccount> accounts;
    for (const QString &login : logins) {
        NewAccount account;
        account.login = login;
        account.fullName = login + QStringLiteral(" Prénom");
        account.description = QStringLiteral("membre de la classe : TS8");
        account.password = QStringLiteral("Cahier-2024") + login.right(1);
        account.passwordTime = NewAccount::PasswordTime::Last;
        account.homeDirectory = QStringLiteral("\\\\SERVEUR1\\") + login + u'$';
        account.logonScript = QStringLiteral("TS8.bat");
        account.groups = {QStringLiteral("TS8"), QStringLiteral("eleves")};
        accounts.append(account);
    }
    return accounts;
}

// Each step of each report: "ok", or its message.
QStringList outcomesOf(const QList<AccountReport> &reports)
{
    QStringList shown;
    const auto told = [](const Status &s) { return s ? QStringLiteral("ok") : s.message(); };
    for (const AccountReport &report : reports) {
        shown << told(report.created) << told(report.passwordSet) << told(report.properties);
        for (const AccountReport::GroupStep &step : report.groups)
            shown << told(step.joined);
    }
    return shown;
}

} // namespace

void TestSambaDirectory::accountsMadeTogether_data()
{
    QTest::addColumn<QString>("situation");
    // Per account: made, password, home and script, class group, eleves: "ok" or a part of the message.
    QTest::addColumn<QStringList>("outcomes");

    const QString ok = QStringLiteral("ok");
    const QString taken = QStringLiteral("Le nom « TS8B » est déjà utilisé dans l'annuaire");
    const QString notMade = QStringLiteral("le compte n'a pas été créé");
    const QString unreachable = QStringLiteral("ne peut pas être joint");
    // clang-format off
    QTest::newRow("all made") << QString() << QStringList {ok, ok, ok, ok, ok, ok, ok, ok, ok, ok, ok, ok, ok, ok, ok};
    QTest::newRow("one login already there") << QStringLiteral("taken") << QStringList {ok, ok, ok, ok, ok, taken, notMade, ok, ok, ok, ok, ok, ok, ok, ok};
    QTest::newRow("a member already in a group") << QStringLiteral("member") << QStringList {ok, ok, ok, ok, ok, taken, notMade, ok, QStringLiteral("« TS8B » est déjà membre du groupe « TS8 »"), ok, ok, ok, ok, ok, ok};
    QTest::newRow("one group missing") << QStringLiteral("nogroup") << QStringList {ok, ok, ok, ok, ok, ok, ok, ok, QStringLiteral("« TS9 » est introuvable dans l'annuaire."), ok, ok, ok, ok, ok, ok};
    QTest::newRow("the DC gone") << QStringLiteral("stopped") << QStringList {unreachable, notMade, unreachable, unreachable, unreachable, unreachable, notMade, unreachable, unreachable, unreachable, unreachable, notMade, unreachable, unreachable, unreachable};
    // clang-format on
}

// The accounts of a batch, several writes under way at once: each account's outcome is its own, and
// what was made is what the accounts made one by one would be.
void TestSambaDirectory::accountsMadeTogether()
{
    QFETCH(QString, situation);
    QFETCH(QStringList, outcomes);
    auto parent = bind(P);
    for (const QString &name : {QStringLiteral("TS8"), QStringLiteral("eleves")}) {
        auto group = parent->create(DirKind::Group, name);
        CHECK_OK((*group)->setInfo());
    }
    QList<NewAccount> accounts = pupilsOfTs8({QStringLiteral("TS8A"), QStringLiteral("TS8B"), QStringLiteral("TS8C")});
    if (situation == QStringLiteral("taken") || situation == QStringLiteral("member"))
        CHECK_OK(makeUser(QStringLiteral("TS8B"), QStringLiteral("Ancien-2023")));
    if (situation == QStringLiteral("member")) {
        auto group = bind(P + QStringLiteral("/TS8,group"));
        CHECK_OK(group->add(P + QStringLiteral("/TS8B")));
    }
    if (situation == QStringLiteral("nogroup"))
        accounts[1].groups[0] = QStringLiteral("TS9");
    if (situation == QStringLiteral("stopped"))
        CHECK_OK(m_dc.stop());

    const QList<AccountReport> reports = m_dir->makeAccounts(QStringLiteral("SERVEUR1"), accounts);
    const Status started = situation == QStringLiteral("stopped") ? m_dc.start() : Status();
    CHECK_OK(started);

    const QStringList shown = outcomesOf(reports);
    QCOMPARE(shown.size(), outcomes.size());
    for (qsizetype i = 0; i < shown.size(); ++i) {
        const bool matches = outcomes[i] == QStringLiteral("ok")
            ? shown[i] == outcomes[i]
            : shown[i] != QStringLiteral("ok") && shown[i].contains(outcomes[i]);
        QVERIFY2(matches, qPrintable(QStringLiteral("%1: %2").arg(i).arg(shown[i])));
    }
    if (situation == QStringLiteral("stopped"))
        return;

    // On the DC: each account made is enabled with its password, its properties and its groups; one
    // that was there keeps its own password and gets the properties and groups again.
    QStringList ts8;
    QStringList eleves;
    CHECK_OK(bind(P + QStringLiteral("/TS8,group"))->members([&](const DirEntry &e) { ts8.append(e.name); }));
    CHECK_OK(bind(P + QStringLiteral("/eleves,group"))->members([&](const DirEntry &e) { eleves.append(e.name); }));
    for (const NewAccount &account : std::as_const(accounts)) {
        const LdapEntry raw = rawEntry(m_dc, account.login,
            {QStringLiteral("userAccountControl"), QStringLiteral("displayName"), QStringLiteral("description"),
                QStringLiteral("homeDirectory"), QStringLiteral("scriptPath")});
        const bool made
            = account.login != QStringLiteral("TS8B") || situation.isEmpty() || situation == QStringLiteral("nogroup");
        QCOMPARE(raw.text(QStringLiteral("userAccountControl")), QStringLiteral("512"));
        QCOMPARE(raw.text(QStringLiteral("homeDirectory")), account.homeDirectory);
        QCOMPARE(raw.text(QStringLiteral("scriptPath")), account.logonScript);
        QCOMPARE(raw.text(QStringLiteral("displayName")), made ? account.fullName : QString());
        QCOMPARE(*m_dir->checkPassword(account.login, made ? account.password : QStringLiteral("Ancien-2023")), true);
        QCOMPARE(ts8.contains(account.login), account.groups[0] == QStringLiteral("TS8"));
        QVERIFY(eleves.contains(account.login));
    }
}

// The DC stops while a batch's writes are under way: the call still ends, each account with its own
// outcome, none told made that was not, and no password given to an account that was not made.
void TestSambaDirectory::dcStoppingUnderABatch()
{
    auto parent = bind(P);
    for (const QString &name : {QStringLiteral("TS8"), QStringLiteral("eleves")}) {
        auto group = parent->create(DirKind::Group, name);
        CHECK_OK((*group)->setInfo());
    }
    QStringList logins;
    for (int i = 0; i < 80; ++i)
        logins << QStringLiteral("TS8E%1").arg(i, 2, 10, QLatin1Char('0'));
    const QList<NewAccount> accounts = pupilsOfTs8(logins);

    // Stopped as soon as the first account is on the DC.
    std::atomic<bool> done = false;
    Status stopped = Status::failure(QStringLiteral("jamais arrêté"));
    std::thread stopper([&] {
        while (!done) {
            QList<LdapEntry> found;
            const LdapReply reply
                = m_dc.admin().search(QString::fromLatin1(DcFixture::base), LdapConnection::Scope::Subtree,
                    QStringLiteral("(sAMAccountName=TS8E00)"), {QStringLiteral("1.1")}, &found);
            if (reply.ok() && !found.isEmpty()) {
                stopped = m_dc.stop();
                return;
            }
        }
    });
    const QList<AccountReport> reports = m_dir->makeAccounts(QStringLiteral("SERVEUR1"), accounts);
    done = true;
    stopper.join();
    CHECK_OK(stopped);
    CHECK_OK(m_dc.start());

    QCOMPARE(reports.size(), accounts.size());
    int made = 0;
    for (const AccountReport &report : reports) {
        QCOMPARE(report.groups.size(), 2);
        if (report.made())
            ++made;
        else
            QVERIFY2(!report.passwordSet, qPrintable(report.created.message()));
        // A password given means the account was made and reached eleves first.
        if (report.passwordSet)
            QVERIFY(report.made() && report.joined(QStringLiteral("eleves")));
    }
    // The stop came under the batch: the last accounts were not made.
    QVERIFY(made < reports.size());
    QVERIFY(!reports.last().made());
}

// The behaviour suite of the embedded store on the DC, then the DC's own cases.
int runSuites(DcFixture &dc, int argc, char *argv[])
{
    DirectoryBackend backend;
    backend.make = [&]() -> std::unique_ptr<Directory> {
        auto unit = dc.freshUnit(suiteUnit);
        auto config = unit ? dc.config(*unit) : Result<LdapConfig>(unit.status());
        if (!config) {
            qWarning("%s", qPrintable(config.message()));
            return nullptr;
        }
        LdapDirectory::Options options;
        options.limits.pageSize = 3;
        options.limits.memberRange = 2;
        auto opened = LdapDirectory::open(*config, options);
        if (!opened) {
            qWarning("%s", qPrintable(opened.message()));
            return nullptr;
        }
        return std::move(*opened);
    };
    // The DC locks an account by itself, after failed logons.
    backend.setLocked = [&](Directory &d, const QString &user, bool locked) -> Status {
        auto account = asLdap(d).session().require(user, QStringLiteral("User"));
        if (!account)
            return account.status();
        if (!locked) {
            const LdapReply reply
                = dc.admin().modify(account->dn, {LdapMod {LdapMod::Replace, QStringLiteral("lockoutTime"), {"0"}}});
            return reply.ok() ? Status() : Status::failure(reply.diagnostic);
        }
        if (Status s = dc.lockAfterThreeFailures(account->dn); !s)
            return s;
        for (int i = 0; i < 3; ++i)
            asLdap(d).session().connection().bindAs(account->dn, "pas-le-bon-mot-de-passe");
        return {};
    };
    // A logon at a given time: written where the DC keeps it.
    backend.setLastLogin = [&](Directory &d, const QString &user, const QDateTime &when) -> Status {
        auto account = asLdap(d).session().require(user, QStringLiteral("User"));
        if (!account)
            return account.status();
        const LdapReply reply = dc.admin().modify(account->dn,
            {LdapMod {LdapMod::Replace, QStringLiteral("lastLogonTimestamp"),
                {QByteArray::number(LdapNames::toFileTime(when))}}});
        return reply.ok() ? Status() : Status::failure(reply.diagnostic);
    };
    // On the DC an account made without a password has none at all (and stays disabled): that is
    // what "the empty password" stands for here.
    backend.checkPassword = [&](Directory &d, const QString &user, const QString &password) -> Result<bool> {
        if (!password.isEmpty())
            return asLdap(d).checkPassword(user, password);
        auto account = asLdap(d).session().require(user, QStringLiteral("User"));
        if (!account)
            return account.status();
        const LdapEntry entry = rawEntry(dc, account->name, {QStringLiteral("pwdLastSet")});
        return entry.text(QStringLiteral("pwdLastSet")) == QStringLiteral("0");
    };
    DirectorySuite suite(backend);
    int failures = QTest::qExec(&suite, argc, argv);

    TestSambaDirectory own(dc);
    failures += QTest::qExec(&own, argc, argv);
    return failures;
}

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    return DcFixture::runTests([&](DcFixture &dc) { return runSuites(dc, argc, argv); });
}

#include "tst_samba_directory.moc"
