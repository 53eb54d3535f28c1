#include "ldapdirectory.h"

#include "directory/directorypath.h"
#include "ldapaccountbatch.h"
#include "ldapobject.h"
#include "ldappolicies.h"

#include <ldap.h>

LdapDirectory::LdapDirectory(std::shared_ptr<LdapSession> session)
    : m_session(std::move(session))
{
}

Result<std::unique_ptr<LdapDirectory>> LdapDirectory::open(const LdapConfig &config, const Options &options)
{
    auto password = config.readPassword();
    if (!password)
        return password.status();
    auto session = std::make_shared<LdapSession>(config, *password, options.timeouts, options.limits);
    return std::unique_ptr<LdapDirectory>(new LdapDirectory(std::move(session)));
}

Status LdapDirectory::connect()
{
    const LdapReply reply = m_session->connection().open();
    if (!reply.ok())
        return Status::failure(m_session->failure(reply, QStringLiteral("La connexion à l'annuaire")));
    return {};
}

Result<DirObjectPtr> LdapDirectory::bind(const QString &adsPath)
{
    auto path = DirNames::parsePath(adsPath);
    if (!path)
        return path.status();
    if (path->isContainer()) {
        // The handle is only as good as the connection behind it.
        if (Status s = connect(); !s)
            return s;
        return LdapObject::container(m_session, path->server);
    }
    auto account = m_session->require(path->name, path->fixedClass);
    if (!account)
        return account.status();
    return LdapObject::found(m_session, path->server, *account);
}

Result<bool> LdapDirectory::checkPassword(const QString &userName, const QString &password)
{
    auto account = m_session->require(userName, QStringLiteral("User"));
    if (!account)
        return account.status();
    const LdapReply reply = m_session->connection().bindAs(account->dn, password.toUtf8());
    if (reply.code == LDAP_INVALID_CREDENTIALS)
        return false;
    if (!reply.ok())
        return Result<bool>::failure(m_session->failure(reply, QStringLiteral("La vérification du mot de passe")));
    return true;
}

Result<PasswordPolicy> LdapDirectory::passwordPolicyOfMembers(const QString &group)
{
    return LdapPolicies::ofMembers(*m_session, group);
}

Result<bool> LdapDirectory::ensureGroupPasswordPolicy(const QString &group, const PasswordPolicy &settings)
{
    return LdapPolicies::ensureForGroup(*m_session, group, settings);
}

QList<AccountReport> LdapDirectory::makeAccounts(const QString &serverName, const QList<NewAccount> &accounts)
{
    return LdapAccountBatch(*this, m_session, serverName).make(accounts);
}
