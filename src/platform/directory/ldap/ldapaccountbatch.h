#pragma once

#include "directory/directory.h"
#include "ldapsession.h"

#include <QList>
#include <QString>

#include <memory>
#include <vector>

// Accounts made together on the domain controller, with several writes under way at once on the one
// connection: each account in one add with its full name, description, home directory and logon
// script, disabled; the new members of each group in one write; then each password, which enables
// its account once it is in its groups. No account is looked up that the batch made itself. Each
// account's report says what making it on its own would have said: a write refused for several
// accounts is made again for each of them alone.
class LdapAccountBatch
{
public:
    LdapAccountBatch(Directory &directory, std::shared_ptr<LdapSession> session, QString serverName);

    QList<AccountReport> make(const QList<NewAccount> &accounts);

private:
    struct Pending;

    void addAccounts(DirObject &container, const QList<NewAccount> &accounts, std::vector<Pending> &pending,
        QList<AccountReport> &reports);
    void joinGroups(const QList<NewAccount> &accounts, std::vector<Pending> &pending, QList<AccountReport> &reports);
    void givePasswords(const QList<NewAccount> &accounts, std::vector<Pending> &pending, QList<AccountReport> &reports);
    // The account or group of that name, as binding its path finds it.
    Result<LdapSession::Account> lookUp(const QString &name, DirKind kind);

    Directory &m_directory;
    std::shared_ptr<LdapSession> m_session;
    QString m_server;
};
