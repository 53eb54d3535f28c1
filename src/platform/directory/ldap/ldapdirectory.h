#pragma once

#include "config/ldapconfig.h"
#include "directory/directory.h"
#include "ldapsession.h"

#include <memory>

// The domain of an Active Directory domain controller (Windows, or Samba's), reached over LDAP with
// TLS. "WinNT://" + any server or domain name binds the domain; accounts and groups are found by
// their account name (sAMAccountName) anywhere below the configured base, and new ones go to
// "CN=Users" below it.
class LdapDirectory : public Directory
{
public:
    struct Options
    {
        LdapConnection::Timeouts timeouts;
        LdapSession::Limits limits;
    };

    // Reads the bind password; refuses a password file others can read. Connects on first use.
    static Result<std::unique_ptr<LdapDirectory>> open(const LdapConfig &config, const Options &options);
    static Result<std::unique_ptr<LdapDirectory>> open(const LdapConfig &config) { return open(config, Options()); }

    Result<DirObjectPtr> bind(const QString &adsPath) override;
    Result<PasswordPolicy> passwordPolicyOfMembers(const QString &group) override;
    Result<bool> ensureGroupPasswordPolicy(const QString &group, const PasswordPolicy &settings) override;
    // Several accounts under way at once on the connection, with fewer writes than one by one.
    QList<AccountReport> makeAccounts(const QString &serverName, const QList<NewAccount> &accounts) override;

    // Opens the connection now, so that a wrong setting shows at once.
    Status connect();
    // True when the password opens the account; a wrong password counts as a failed logon there.
    Result<bool> checkPassword(const QString &userName, const QString &password);

    LdapSession &session() { return *m_session; }

private:
    explicit LdapDirectory(std::shared_ptr<LdapSession> session);
    std::shared_ptr<LdapSession> m_session;
};
