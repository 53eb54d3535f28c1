#pragma once

#include "text/result.h"

#include <QList>
#include <QString>
#include <QStringList>

class Directory;

// An account to be made in the container of a server, and the steps it goes through.
struct NewAccount
{
    // When the password is given: with the account, in the write that stores it; or last, once the
    // account has its properties and groups, so that it stays disabled until then and the domain's
    // policy for the members of its groups applies; or never (the account is made without one).
    enum class PasswordTime { Never, WithAccount, Last };

    QString login;
    QString fullName;
    QString description;
    QString password;
    PasswordTime passwordTime = PasswordTime::Never;
    // The home directory and logon script, set once the account exists; none when both are empty.
    QString homeDirectory;
    QString logonScript;
    QStringList groups; // joined in this order
    // The account is there already (a creation begun by a stopped run): it is bound rather than made,
    // and given its properties, groups and password again.
    bool existing = false;
};

// What became of each step of the making of an account. Every step after the first is tried whatever
// became of the one before, so that an account that was there already gets its properties and
// groups again; the password only goes to an account made (or taken over) by this call.
struct AccountReport
{
    struct GroupStep
    {
        QString group;
        Status joined;
    };

    Status created; // the account, with its full name and description
    Status passwordSet; // not tried (and so fine) when the password is never given
    Status properties; // the home directory and logon script; not tried when there are none
    QList<GroupStep> groups;

    bool made() const { return created.ok(); }
    Status joined(const QString &group) const;
};

// Makes the account in the container of serverName, step by step.
AccountReport makeAccount(Directory &directory, const QString &serverName, const NewAccount &account);

namespace AccountSteps {

// The password step of an account that was not made.
Status passwordOfUnmade();

// Points the account's home directory and logon script at these.
Status setHomeAndScript(
    Directory &directory, const QString &serverName, const QString &login, const QString &home, const QString &script);
// Makes the account a member of the group.
Status joinGroup(Directory &directory, const QString &serverName, const QString &login, const QString &group);

} // namespace AccountSteps
