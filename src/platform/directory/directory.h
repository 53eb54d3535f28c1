#pragma once

#include "dirproperties.h"
#include "newaccount.h"
#include "passwordpolicy.h"
#include "text/result.h"

#include <QString>
#include <QStringList>
#include <QVariant>

#include <functional>
#include <memory>

// The domain's directory, addressed as the program has always addressed it: "WinNT://" + server
// name for the container of every account and group, + "/" + name for one object, with ",user" or
// ",group" appended where the class is fixed. Every operation can fail; the failure comes back as a
// value with a French message, and the caller decides whether to skip the step or stop.

struct DirEntry
{
    QString name;
    DirKind kind; // User or Group
    QString adsPath;
};

using DirVisitor = std::function<void(const DirEntry &)>;

class DirObject;
using DirObjectPtr = std::unique_ptr<DirObject>;

class DirObject
{
public:
    virtual ~DirObject() = default;

    virtual QString name() const = 0;
    virtual DirKind kind() const = 0;
    virtual QString className() const = 0; // "Domain" for the container, "User", "Group"
    virtual QString adsPath() const = 0;

    // Container. filter says what to list; empty means every child.
    virtual Status enumerate(const QList<DirListed> &filter, const DirVisitor &visit) = 0;
    // A pending account or group: it exists only after its setInfo().
    virtual Result<DirObjectPtr> create(DirKind kind, const QString &name) = 0;
    // Deletes the account or group at once.
    virtual Status deleteObject(DirKind kind, const QString &name) = 0;

    // Properties: FullName, Description, HomeDirectory, LoginScript, GroupType (read and written);
    // LastLogin (QDateTime) and IsAccountLocked (bool; writing false unlocks).
    virtual Result<QVariant> get(DirProperty property) = 0;
    virtual Status put(DirProperty property, const QVariant &value) = 0;
    virtual Status setPassword(const QString &password) = 0;
    // Stores the pending changes: the object and its properties, all or nothing.
    virtual Status setInfo() = 0;

    // Group. Members are named by their ADsPath.
    virtual Status members(const DirVisitor &visit) = 0;
    virtual Status add(const QString &memberAdsPath) = 0;
    virtual Status remove(const QString &memberAdsPath) = 0;
};

class Directory
{
public:
    virtual ~Directory() = default;
    virtual Result<DirObjectPtr> bind(const QString &adsPath) = 0;

    // The password policy that a member of the group meets: the group's own, or else the domain's.
    // A directory that sets no rules answers a policy that admits every password.
    virtual Result<PasswordPolicy> passwordPolicyOfMembers(const QString &group) = 0;
    // Gives the group's members a password policy of their own, with these settings and the domain's
    // lockout rules, unless one applies to the group already. True when it was made now; a directory
    // that sets no rules makes nothing.
    virtual Result<bool> ensureGroupPasswordPolicy(const QString &group, const PasswordPolicy &settings) = 0;

    // Makes several accounts in the container of serverName: one report each, in the order given, each
    // telling what makeAccount would have told for that account. By default they are made one after
    // the other through makeAccount; a directory that can have several writes under way at once makes
    // them together, with fewer writes, and the same outcomes.
    virtual QList<AccountReport> makeAccounts(const QString &serverName, const QList<NewAccount> &accounts);
};
