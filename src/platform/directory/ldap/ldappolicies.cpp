#include "ldappolicies.h"

#include "ldapnames.h"
#include "ldapsession.h"

#include <ldap.h>

#include <limits>

namespace {

using std::chrono::seconds;

constexpr qint64 complexFlag = 0x1; // pwdProperties: DOMAIN_PASSWORD_COMPLEX
constexpr qint64 cleartextFlag = 0x10; // pwdProperties: DOMAIN_PASSWORD_STORE_CLEARTEXT
constexpr qint64 never = std::numeric_limits<qint64>::min();
constexpr qint64 stepsPerSecond = 10'000'000;

// The domain's rules, on the domain's own object.
const QString minLength = QStringLiteral("minPwdLength");
const QString properties = QStringLiteral("pwdProperties");
const QString history = QStringLiteral("pwdHistoryLength");
const QString minAge = QStringLiteral("minPwdAge");
const QString maxAge = QStringLiteral("maxPwdAge");
const QString lockoutThreshold = QStringLiteral("lockoutThreshold");
const QString lockoutDuration = QStringLiteral("lockoutDuration");
const QString lockoutWindow = QStringLiteral("lockOutObservationWindow");

// A Password Settings Object's.
const QString psoClass = QStringLiteral("msDS-PasswordSettings");
const QString psoPrecedence = QStringLiteral("msDS-PasswordSettingsPrecedence");
const QString psoReversible = QStringLiteral("msDS-PasswordReversibleEncryptionEnabled");
const QString psoHistory = QStringLiteral("msDS-PasswordHistoryLength");
const QString psoComplexity = QStringLiteral("msDS-PasswordComplexityEnabled");
const QString psoMinLength = QStringLiteral("msDS-MinimumPasswordLength");
const QString psoMinAge = QStringLiteral("msDS-MinimumPasswordAge");
const QString psoMaxAge = QStringLiteral("msDS-MaximumPasswordAge");
const QString psoLockoutThreshold = QStringLiteral("msDS-LockoutThreshold");
const QString psoLockoutWindow = QStringLiteral("msDS-LockoutObservationWindow");
const QString psoLockoutDuration = QStringLiteral("msDS-LockoutDuration");
const QString psoAppliesTo = QStringLiteral("msDS-PSOAppliesTo");

// An age as the domain keeps it: negative 100 ns steps; "never" is the most negative value (or 0
// for the domain's maximum age).
seconds ageOf(const LdapEntry &entry, const QString &attribute)
{
    const qint64 interval = entry.text(attribute).toLongLong();
    if (interval == never)
        return seconds(0);
    return seconds(-interval / stepsPerSecond);
}

QByteArray intervalOf(seconds age, bool zeroIsNever)
{
    if (age.count() == 0 && zeroIsNever)
        return QByteArray::number(never);
    return QByteArray::number(-age.count() * stepsPerSecond);
}

QByteArray flag(bool on)
{
    return on ? QByteArrayLiteral("TRUE") : QByteArrayLiteral("FALSE");
}

QString passwordSettingsContainer(const QString &domainDn)
{
    return QStringLiteral("CN=Password Settings Container,CN=System,") + domainDn;
}

bool isPasswordSettings(const LdapEntry &entry)
{
    for (const QByteArray &value : entry.values(QStringLiteral("objectClass"))) {
        if (QString::fromUtf8(value).compare(psoClass, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

// The group, the domain's object and the Password Settings Objects applied to the group.
struct Found
{
    QString domainDn;
    QString groupDn;
    LdapEntry domain;
    QList<LdapEntry> groupPolicies;
};

Result<Found> find(LdapSession &session, const QString &group)
{
    auto account = session.require(group, QStringLiteral("Group"));
    if (!account)
        return account.status();
    Found found;
    found.groupDn = account->dn;
    found.domainDn = LdapNames::domainOf(session.config().base);

    // One search finds both: the domain's object is the search's base, the policies lie below it.
    const QString filter = QStringLiteral("(|(distinguishedName=%1)(&(objectClass=%2)(%3=%4)))")
                               .arg(LdapNames::filterValue(found.domainDn), psoClass, psoAppliesTo,
                                   LdapNames::filterValue(found.groupDn));
    QList<LdapEntry> entries;
    const LdapReply reply = session.connection().search(found.domainDn, LdapConnection::Scope::Subtree, filter,
        {QStringLiteral("cn"), QStringLiteral("objectClass"), QStringLiteral("objectGUID"), minLength, properties,
            history, minAge, maxAge, lockoutThreshold, lockoutDuration, lockoutWindow, psoPrecedence, psoHistory,
            psoComplexity, psoMinLength, psoMinAge, psoMaxAge},
        &entries);
    if (!reply.ok())
        return Result<Found>::failure(
            session.failure(reply, QStringLiteral("La lecture des stratégies de mots de passe du domaine")));
    bool domainFound = false;
    for (const LdapEntry &entry : std::as_const(entries)) {
        if (entry.dn.compare(found.domainDn, Qt::CaseInsensitive) == 0) {
            found.domain = entry;
            domainFound = entry.has(minLength);
        } else if (isPasswordSettings(entry)) {
            found.groupPolicies.append(entry);
        }
    }
    if (!domainFound)
        return Result<Found>::failure(
            QStringLiteral("La stratégie de mots de passe du domaine %1 ne peut pas être lue.").arg(found.domainDn));
    return found;
}

PasswordPolicy domainPolicy(const LdapEntry &domain)
{
    PasswordPolicy policy;
    policy.source = PasswordPolicy::Source::Domain;
    policy.minimumLength = domain.text(minLength).toInt();
    policy.complexity = (domain.text(properties).toLongLong() & complexFlag) != 0;
    policy.historyLength = domain.text(history).toInt();
    policy.minimumAge = ageOf(domain, minAge);
    policy.maximumAge = ageOf(domain, maxAge);
    return policy;
}

PasswordPolicy groupPolicy(const LdapEntry &pso)
{
    PasswordPolicy policy;
    policy.source = PasswordPolicy::Source::Group;
    policy.name = pso.text(QStringLiteral("cn"));
    policy.minimumLength = pso.text(psoMinLength).toInt();
    policy.complexity = pso.text(psoComplexity).compare(QStringLiteral("TRUE"), Qt::CaseInsensitive) == 0;
    policy.historyLength = pso.text(psoHistory).toInt();
    policy.minimumAge = ageOf(pso, psoMinAge);
    policy.maximumAge = ageOf(pso, psoMaxAge);
    return policy;
}

// What a Password Settings Object holds besides the groups it applies to.
QList<LdapMod> settingsOf(const PasswordPolicy &settings, const LdapEntry &domain, LdapMod::Op op)
{
    const bool cleartext = (domain.text(properties).toLongLong() & cleartextFlag) != 0;
    return {
        LdapMod {op, psoPrecedence, {QByteArray::number(kGroupPolicyPrecedence)}},
        LdapMod {op, psoReversible, {flag(cleartext)}},
        LdapMod {op, psoHistory, {QByteArray::number(settings.historyLength)}},
        LdapMod {op, psoComplexity, {flag(settings.complexity)}},
        LdapMod {op, psoMinLength, {QByteArray::number(settings.minimumLength)}},
        LdapMod {op, psoMinAge, {intervalOf(settings.minimumAge, false)}},
        LdapMod {op, psoMaxAge, {intervalOf(settings.maximumAge, true)}},
        // Locking stays as the domain has it.
        LdapMod {op, psoLockoutThreshold, {domain.first(lockoutThreshold)}},
        LdapMod {op, psoLockoutWindow, {domain.first(lockoutWindow)}},
        LdapMod {op, psoLockoutDuration, {domain.first(lockoutDuration)}},
    };
}

} // namespace

namespace LdapPolicies {

Result<PasswordPolicy> ofMembers(LdapSession &session, const QString &group)
{
    auto found = find(session, group);
    if (!found)
        return found.status();
    if (found->groupPolicies.isEmpty())
        return domainPolicy(found->domain);
    // The lowest precedence wins; between equals, the lowest GUID, as the domain decides.
    const LdapEntry *best = nullptr;
    for (const LdapEntry &pso : std::as_const(found->groupPolicies)) {
        if (!best)
            best = &pso;
        const int precedence = pso.text(psoPrecedence).toInt();
        const int bestPrecedence = best->text(psoPrecedence).toInt();
        if (precedence < bestPrecedence
            || (precedence == bestPrecedence
                && pso.first(QStringLiteral("objectGUID")) < best->first(QStringLiteral("objectGUID"))))
            best = &pso;
    }
    return groupPolicy(*best);
}

Result<bool> ensureForGroup(LdapSession &session, const QString &group, const PasswordPolicy &settings)
{
    auto found = find(session, group);
    if (!found)
        return found.status();
    if (!found->groupPolicies.isEmpty())
        return false;

    const QString name = groupPolicyName(group);
    const QString dn
        = QStringLiteral("CN=%1,%2").arg(LdapNames::dnValue(name), passwordSettingsContainer(found->domainDn));
    QList<LdapMod> attributes = settingsOf(settings, found->domain, LdapMod::Add);
    attributes.prepend(LdapMod {LdapMod::Add, QStringLiteral("objectClass"), {psoClass.toUtf8()}});
    attributes.append(LdapMod {LdapMod::Add, psoAppliesTo, {found->groupDn.toUtf8()}});
    LdapReply reply = session.connection().add(dn, attributes);
    if (reply.code == LDAP_ALREADY_EXISTS) {
        // Left from an earlier group of that name, or taken off this one by hand: it is the
        // group's policy again, with the settings asked for.
        QList<LdapMod> changes = settingsOf(settings, found->domain, LdapMod::Replace);
        changes.append(LdapMod {LdapMod::Add, psoAppliesTo, {found->groupDn.toUtf8()}});
        reply = session.connection().modify(dn, changes);
    }
    if (!reply.ok())
        return Result<bool>::failure(
            session.failure(reply, QStringLiteral("La création de la stratégie de mots de passe « %1 »").arg(name)));
    return true;
}

} // namespace LdapPolicies
