#pragma once

#include "ldapconnection.h"
#include "text/result.h"

#include <QHash>
#include <QString>

#include <chrono>
#include <optional>

// What every handle of one directory shares: the connection, the layout of the domain, and the
// lookups by name that binding, membership and deletion all need.
class LdapSession
{
public:
    struct Limits
    {
        int pageSize = 1000; // entries per page of a search; Windows servers cap it at 1,000
        int memberRange = 1000; // values of "member" read at once; Windows servers cap it at 1,500
        // How long a name found is trusted without asking the server again. Past it, the object is
        // checked by its GUID (cheap); a name not known is looked up below the base (costly).
        int trustMs = 5000;
    };

    // An account or a group as found in the directory.
    struct Account
    {
        QString dn;
        QByteArray guid;
        QString name; // sAMAccountName, as stored
        QString className; // "User" or "Group"
    };

    LdapSession(LdapConfig config, QByteArray password, LdapConnection::Timeouts timeouts, Limits limits);

    LdapConnection &connection() { return m_connection; }
    const LdapConfig &config() const { return m_connection.config(); }
    const Limits &limits() const { return m_limits; }
    // Where new accounts and groups go.
    QString newObjectsContainer() const;

    // The user or group of that name (letter case aside), or nothing; computers are not accounts here.
    Result<std::optional<Account>> find(const QString &name);
    // The same, failing with a French message when it is missing or not of the class asked for
    // ("User", "Group", or empty for either).
    Result<Account> require(const QString &name, const QString &className);

    // "User" or "Group" from an entry's objectClass values, or an empty text for anything else.
    static QString classOf(const LdapEntry &entry);

    // What the program itself made, deleted or listed: names it need not look up again.
    void remember(const Account &account);
    void forget(const QString &name);

    // A French message for a failed request: the connection's own problem, or what the server said.
    QString failure(const LdapReply &reply, const QString &doing) const;

private:
    struct Known
    {
        Account account;
        std::chrono::steady_clock::time_point confirmed;
    };
    std::optional<Account> confirm(const Known &known);

    LdapConnection m_connection;
    Limits m_limits;
    // Names found, by their case-folded form, for as long as the connection they were found on lives.
    QHash<QString, Known> m_known;
    int m_knownGeneration = -1;
};
