#include "ldapsession.h"

#include "directory/directorypath.h"
#include "ldapnames.h"

#include <ldap.h>

LdapSession::LdapSession(LdapConfig config, QByteArray password, LdapConnection::Timeouts timeouts, Limits limits)
    : m_connection(std::move(config), std::move(password), timeouts)
    , m_limits(limits)
{
}

QString LdapSession::newObjectsContainer() const
{
    return QStringLiteral("CN=Users,") + config().base;
}

QString LdapSession::classOf(const LdapEntry &entry)
{
    bool user = false;
    bool group = false;
    for (const QByteArray &value : entry.values(QStringLiteral("objectClass"))) {
        const QByteArray lower = value.toLower();
        // Computers and service accounts derive from user but are not people's accounts.
        if (lower == "computer")
            return {};
        if (lower == "group")
            group = true;
        else if (lower == "user")
            user = true;
    }
    if (group)
        return QStringLiteral("Group");
    if (user)
        return QStringLiteral("User");
    return {};
}

void LdapSession::remember(const Account &account)
{
    if (m_knownGeneration != m_connection.generation()) {
        m_known.clear();
        m_knownGeneration = m_connection.generation();
    }
    m_known.insert(DirNames::key(account.name), Known {account, std::chrono::steady_clock::now()});
}

void LdapSession::forget(const QString &name)
{
    m_known.remove(DirNames::key(name));
}

std::optional<LdapSession::Account> LdapSession::confirm(const Known &known)
{
    if (std::chrono::steady_clock::now() - known.confirmed < std::chrono::milliseconds(m_limits.trustMs))
        return known.account;
    // Still there, still of that name? Reading one object by its GUID costs next to nothing.
    const QString target = known.account.guid.isEmpty() ? known.account.dn : LdapNames::guidDn(known.account.guid);
    QList<LdapEntry> entries;
    const LdapReply reply = m_connection.search(target, LdapConnection::Scope::Base, QStringLiteral("(objectClass=*)"),
        {QStringLiteral("sAMAccountName"), QStringLiteral("objectGUID"), QStringLiteral("objectClass")}, &entries);
    if (!reply.ok() || entries.isEmpty())
        return std::nullopt;
    const LdapEntry &entry = entries.first();
    Account account {entry.dn, entry.first(QStringLiteral("objectGUID")), entry.text(QStringLiteral("sAMAccountName")),
        classOf(entry)};
    if (account.className.isEmpty() || DirNames::key(account.name) != DirNames::key(known.account.name))
        return std::nullopt;
    return account;
}

Result<std::optional<LdapSession::Account>> LdapSession::find(const QString &name)
{
    // A connection opened again may lead to a server restored or replaced: nothing known holds then.
    if (m_knownGeneration != m_connection.generation()) {
        m_known.clear();
        m_knownGeneration = m_connection.generation();
    }
    const QString key = DirNames::key(name);
    if (const auto known = m_known.constFind(key); known != m_known.cend()) {
        const auto confirmed = confirm(*known);
        if (confirmed) {
            remember(*confirmed);
            return confirmed;
        }
        m_known.remove(key);
    }

    // A search below the base is what costs most on a domain controller: done once per name.
    QList<LdapEntry> entries;
    const LdapReply reply = m_connection.search(config().base, LdapConnection::Scope::Subtree,
        QStringLiteral("(sAMAccountName=%1)").arg(LdapNames::filterValue(name)),
        {QStringLiteral("sAMAccountName"), QStringLiteral("objectGUID"), QStringLiteral("objectClass")}, &entries);
    if (!reply.ok())
        return Result<std::optional<Account>>::failure(
            failure(reply, QStringLiteral("La recherche de « %1 »").arg(name)));
    for (const LdapEntry &entry : std::as_const(entries)) {
        const QString className = classOf(entry);
        if (className.isEmpty())
            continue;
        const Account account {entry.dn, entry.first(QStringLiteral("objectGUID")),
            entry.text(QStringLiteral("sAMAccountName")), className};
        remember(account);
        return std::optional<Account>(account);
    }
    return std::optional<Account>();
}

Result<LdapSession::Account> LdapSession::require(const QString &name, const QString &className)
{
    auto found = find(name);
    if (!found)
        return found.status();
    if (!found->has_value())
        return Result<Account>::failure(QStringLiteral("« %1 » est introuvable dans l'annuaire.").arg(name));
    if (!className.isEmpty() && (*found)->className != className)
        return Result<Account>::failure(className == QStringLiteral("Group")
                ? QStringLiteral("« %1 » n'est pas un groupe.").arg(name)
                : QStringLiteral("« %1 » n'est pas un compte d'utilisateur.").arg(name));
    return **found;
}

QString LdapSession::failure(const LdapReply &reply, const QString &doing) const
{
    if (reply.opening || reply.unreachable()) {
        const QString problem = m_connection.connectionProblem(reply);
        if (!problem.isEmpty())
            return problem;
    }
    QString what;
    switch (reply.code) {
    case LDAP_INSUFFICIENT_ACCESS:
        what = QStringLiteral("droits insuffisants dans l'annuaire");
        break;
    case LDAP_NO_SUCH_OBJECT:
        what = QStringLiteral("objet introuvable");
        break;
    case LDAP_ALREADY_EXISTS:
        what = QStringLiteral("nom déjà utilisé");
        break;
    case LDAP_CONSTRAINT_VIOLATION:
        what = QStringLiteral("valeur refusée par le serveur");
        break;
    case LDAP_UNWILLING_TO_PERFORM:
        what = QStringLiteral("opération refusée par le serveur");
        break;
    case LDAP_BUSY:
    case LDAP_UNAVAILABLE:
        what = QStringLiteral("serveur occupé ou indisponible");
        break;
    default:
        what = QStringLiteral("refusée par le serveur d'annuaire");
        break;
    }
    return QStringLiteral("%1 a échoué : %2 (%3).").arg(doing, what, reply.diagnostic);
}
