#pragma once

#include "directory/dirproperties.h"
#include "sqliteconnection.h"
#include "text/result.h"

#include <QByteArray>
#include <QDateTime>
#include <QHash>
#include <QList>
#include <QString>
#include <QVariant>

#include <memory>
#include <optional>

// The properties an account or group keeps, and the read-only ones every object answers.
// Changes put on a handle and not stored yet: what its setInfo() writes in one transaction.
struct PendingChanges
{
    QHash<DirProperty, QVariant> values;
    std::optional<QByteArray> passwordHash;

    bool isEmpty() const { return values.isEmpty() && !passwordHash; }
    void clear()
    {
        values.clear();
        passwordHash.reset();
    }
};

// One account or group as the file holds it.
struct StoredObject
{
    qint64 id = 0;
    QString name;
    QString className; // "User" or "Group"
    QString fullName;
    QString description;
    QString homeDirectory;
    QString loginScript;
    int groupType = 0; // groups only
    bool locked = false;
    QDateTime lastLogin; // invalid when the account never logged on
};

struct StoredEntry
{
    QString name;
    QString className;
    int groupType = 0;
};

// The accounts and groups of the domain in "annuaire.db": one table of objects, one of memberships.
// Names are compared by their case-folded key, which a unique index keeps unique across users and
// groups alike. Every change runs in its own transaction.
class SqliteStore
{
public:
    static Result<std::shared_ptr<SqliteStore>> open(const QString &file, bool syncEveryCommit, int passwordIterations);

    int passwordIterations() const { return m_passwordIterations; }

    Result<std::optional<StoredObject>> findByName(const QString &name);
    Result<std::optional<StoredObject>> findById(qint64 id);
    Result<QList<StoredEntry>> list();
    Result<QList<StoredEntry>> membersOf(qint64 groupId);

    // Stores a new object with its pending properties and password; its id.
    Result<qint64> insert(const QString &className, const QString &name, const PendingChanges &changes);
    Status update(qint64 id, const QString &name, const PendingChanges &changes);
    // className: "User" or "Group".
    Status remove(const QString &className, const QString &name);
    // fixedClass: "User", "Group" or empty when the member's path leaves the class open.
    Status addMember(qint64 groupId, const QString &memberName, const QString &fixedClass);
    Status removeMember(qint64 groupId, const QString &memberName, const QString &fixedClass);

    Status setLocked(const QString &name, bool locked);
    Status setLastLogin(const QString &name, const QDateTime &when);
    // The stored digest, empty when the account has none.
    Result<QByteArray> passwordOf(const QString &name);

private:
    SqliteStore(std::unique_ptr<SqliteConnection> connection, int passwordIterations);
    Status prepareSchema(bool syncEveryCommit);
    Result<qint64> schemaVersionOfFile();
    // The object of that name and class ("User", "Group", or empty for either), or why there is none.
    Result<StoredObject> findExisting(const QString &className, const QString &name);
    Result<StoredObject> findMember(
        qint64 groupId, const QString &memberName, const QString &fixedClass, QString *groupName);

    std::unique_ptr<SqliteConnection> m_db;
    int m_passwordIterations;
};
