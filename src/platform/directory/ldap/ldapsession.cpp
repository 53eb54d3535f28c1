#include "ldapsession.h"

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

Result<std::optional<LdapSession::Account>> LdapSession::find(const QString &name)
{
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
        return std::optional<Account>(Account {entry.dn, entry.first(QStringLiteral("objectGUID")),
            entry.text(QStringLiteral("sAMAccountName")), className});
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
