#include "sqlitestore.h"

#include "directory/directorypath.h"

namespace {

constexpr int schemaVersion = 1;
// Long enough for the other program's bulk work to let go of the file.
constexpr int busyMillis = 10000;

const char *const schema = R"(
CREATE TABLE IF NOT EXISTS objects (
    id INTEGER PRIMARY KEY,
    name TEXT NOT NULL,
    name_key TEXT NOT NULL,
    class TEXT NOT NULL CHECK (class IN ('User', 'Group')),
    full_name TEXT NOT NULL DEFAULT '',
    description TEXT NOT NULL DEFAULT '',
    home_directory TEXT NOT NULL DEFAULT '',
    login_script TEXT NOT NULL DEFAULT '',
    group_type INTEGER,
    locked INTEGER NOT NULL DEFAULT 0,
    last_login INTEGER,
    password TEXT
);
CREATE UNIQUE INDEX IF NOT EXISTS objects_name_key ON objects (name_key);
CREATE TABLE IF NOT EXISTS members (
    group_id INTEGER NOT NULL REFERENCES objects (id) ON DELETE CASCADE,
    member_id INTEGER NOT NULL REFERENCES objects (id) ON DELETE CASCADE,
    PRIMARY KEY (group_id, member_id)
) WITHOUT ROWID;
CREATE INDEX IF NOT EXISTS members_member ON members (member_id);
)";

#define OBJECT_COLUMNS                                                                                                 \
    "id, name, class, full_name, description, home_directory, login_script, group_type, locked, last_login "

StoredObject readObject(const SqliteConnection::Query &row)
{
    StoredObject object;
    object.id = row.integer(0);
    object.name = row.text(1);
    object.className = row.text(2);
    object.fullName = row.text(3);
    object.description = row.text(4);
    object.homeDirectory = row.text(5);
    object.loginScript = row.text(6);
    object.groupType = int(row.integer(7));
    object.locked = row.integer(8) != 0;
    if (!row.isNull(9))
        object.lastLogin = QDateTime::fromMSecsSinceEpoch(row.integer(9));
    return object;
}

// The one object a query selects by a unique key, or none.
Result<std::optional<StoredObject>> readOptionalObject(SqliteConnection::Query &query)
{
    if (query.next())
        return std::optional<StoredObject>(readObject(query));
    if (!query.status().ok())
        return query.status();
    return std::optional<StoredObject>();
}

// Rows of name, class and group type.
Result<QList<StoredEntry>> readEntries(SqliteConnection::Query &query)
{
    QList<StoredEntry> entries;
    while (query.next())
        entries.append(StoredEntry {query.text(0), query.text(1), int(query.integer(2))});
    if (!query.status().ok())
        return query.status();
    return entries;
}

const char *columnOf(DirProperty property)
{
    switch (property) {
    case DirProperty::FullName:
        return "full_name";
    case DirProperty::Description:
        return "description";
    case DirProperty::HomeDirectory:
        return "home_directory";
    case DirProperty::LoginScript:
        return "login_script";
    case DirProperty::GroupType:
        return "group_type";
    case DirProperty::IsAccountLocked:
        return "locked";
    default:
        return nullptr;
    }
}

void bindValue(SqliteConnection::Query &query, DirProperty property, const QVariant &value)
{
    if (property == DirProperty::GroupType)
        query.bind(qint64(value.toInt()));
    else if (property == DirProperty::IsAccountLocked)
        query.bind(qint64(value.toBool() ? 1 : 0));
    else
        query.bind(value.toString());
}

QString missingMessage(const QString &className, const QString &name)
{
    if (className == QStringLiteral("User"))
        return QStringLiteral("Le compte « %1 » est introuvable dans l'annuaire.").arg(name);
    if (className == QStringLiteral("Group"))
        return QStringLiteral("Le groupe « %1 » est introuvable dans l'annuaire.").arg(name);
    return QStringLiteral("« %1 » est introuvable dans l'annuaire.").arg(name);
}

} // namespace

SqliteStore::SqliteStore(std::unique_ptr<SqliteConnection> connection, int passwordIterations)
    : m_db(std::move(connection))
    , m_passwordIterations(passwordIterations)
{
}

Result<std::shared_ptr<SqliteStore>> SqliteStore::open(
    const QString &file, bool syncEveryCommit, int passwordIterations)
{
    auto connection = SqliteConnection::open(file, busyMillis);
    if (!connection)
        return connection.status();
    std::shared_ptr<SqliteStore> store(new SqliteStore(std::move(*connection), passwordIterations));
    if (Status prepared = store->prepareSchema(syncEveryCommit); !prepared)
        return prepared;
    return store;
}

Result<qint64> SqliteStore::schemaVersionOfFile()
{
    auto query = m_db->query("PRAGMA user_version");
    if (query.next())
        return query.integer(0);
    return query.status().ok() ? m_db->failure() : query.status();
}

Status SqliteStore::prepareSchema(bool syncEveryCommit)
{
    // Look before touching anything: a file from a newer version, or not a store at all, is left as it is.
    auto version = schemaVersionOfFile();
    if (!version)
        return version.status();
    if (*version > schemaVersion)
        return Status::failure(QStringLiteral("Il a été créé par une version plus récente du programme."));

    // The write-ahead log lets the command-line tool read while the program writes. Each commit is
    // atomic and survives the program ending; with FULL it has also reached the disk when the call
    // returns, at the price of one disk flush per change.
    {
        auto mode = m_db->query("PRAGMA journal_mode = WAL");
        if (!mode.next())
            return mode.status().ok() ? m_db->failure() : mode.status();
    }
    if (Status s = m_db->exec("PRAGMA foreign_keys = ON"); !s)
        return s;
    if (Status s = m_db->exec(syncEveryCommit ? "PRAGMA synchronous = FULL" : "PRAGMA synchronous = NORMAL"); !s)
        return s;

    SqliteTransaction transaction(*m_db);
    if (!transaction.status().ok())
        return transaction.status();
    // Again inside the transaction: another program may have made the tables meanwhile.
    version = schemaVersionOfFile();
    if (!version)
        return version.status();
    if (*version < schemaVersion) {
        if (Status s = m_db->exec(schema); !s)
            return s;
        if (Status s = m_db->exec("PRAGMA user_version = 1"); !s)
            return s;
    }
    return transaction.commit();
}

Result<std::optional<StoredObject>> SqliteStore::findByName(const QString &name)
{
    auto query = m_db->query("SELECT " OBJECT_COLUMNS "FROM objects WHERE name_key = ?");
    query.bind(DirNames::key(name));
    return readOptionalObject(query);
}

Result<std::optional<StoredObject>> SqliteStore::findById(qint64 id)
{
    auto query = m_db->query("SELECT " OBJECT_COLUMNS "FROM objects WHERE id = ?");
    query.bind(id);
    return readOptionalObject(query);
}

Result<QList<StoredEntry>> SqliteStore::list()
{
    auto query = m_db->query("SELECT name, class, group_type FROM objects ORDER BY name_key");
    return readEntries(query);
}

Result<QList<StoredEntry>> SqliteStore::membersOf(qint64 groupId)
{
    auto query = m_db->query("SELECT o.name, o.class, o.group_type FROM members m JOIN objects o ON o.id = m.member_id "
                             "WHERE m.group_id = ? ORDER BY o.name_key");
    query.bind(groupId);
    return readEntries(query);
}

Result<qint64> SqliteStore::insert(const QString &className, const QString &name, const PendingChanges &changes)
{
    SqliteTransaction transaction(*m_db);
    if (!transaction.status().ok())
        return transaction.status();
    // Checked again here: another handle or program may have taken the name since create().
    auto existing = findByName(name);
    if (!existing)
        return existing.status();
    if (existing->has_value())
        return Result<qint64>::failure(QStringLiteral("Le nom « %1 » est déjà utilisé dans l'annuaire.").arg(name));

    qint64 id = 0;
    {
        auto query = m_db->query("INSERT INTO objects (name, name_key, class, group_type) VALUES (?, ?, ?, ?)");
        query.bind(name).bind(DirNames::key(name)).bind(className);
        if (className == QStringLiteral("Group"))
            query.bind(qint64(2)); // a group is global unless told otherwise
        else
            query.bindNull();
        if (Status s = query.run(); !s)
            return s;
    }
    {
        auto query = m_db->query("SELECT last_insert_rowid()");
        if (!query.next())
            return query.status().ok() ? m_db->failure() : query.status();
        id = query.integer(0);
    }
    if (!changes.isEmpty()) {
        if (Status s = update(id, name, changes); !s)
            return s;
    }
    if (Status s = transaction.commit(); !s)
        return s;
    return id;
}

Status SqliteStore::update(qint64 id, const QString &name, const PendingChanges &changes)
{
    // Runs inside insert()'s transaction or in one of its own.
    std::optional<SqliteTransaction> transaction;
    if (!m_db->inTransaction()) {
        transaction.emplace(*m_db);
        if (!transaction->status().ok())
            return transaction->status();
    }
    QList<QByteArray> assignments;
    QList<DirProperty> order;
    for (auto it = changes.values.cbegin(); it != changes.values.cend(); ++it) {
        if (const char *column = columnOf(it.key())) {
            assignments.append(QByteArray(column) + " = ?");
            order.append(it.key());
        }
    }
    if (changes.passwordHash)
        assignments.append("password = ?");
    if (assignments.isEmpty())
        assignments.append("id = id"); // still tells whether the object exists
    const QByteArray sql = "UPDATE objects SET " + assignments.join(", ") + " WHERE id = ?";

    auto query = m_db->queryOnce(sql);
    for (DirProperty property : std::as_const(order))
        bindValue(query, property, changes.values.value(property));
    if (changes.passwordHash)
        query.bind(QString::fromLatin1(*changes.passwordHash));
    query.bind(id);
    if (Status s = query.run(); !s)
        return s;
    if (m_db->changes() == 0)
        return Status::failure(QStringLiteral("« %1 » n'existe plus dans l'annuaire.").arg(name));
    if (transaction)
        return transaction->commit();
    return {};
}

Result<StoredObject> SqliteStore::findExisting(const QString &className, const QString &name)
{
    auto found = findByName(name);
    if (!found)
        return found.status();
    if (!found->has_value() || (!className.isEmpty() && (*found)->className != className))
        return Result<StoredObject>::failure(missingMessage(className, name));
    return **found;
}

Status SqliteStore::remove(const QString &className, const QString &name)
{
    SqliteTransaction transaction(*m_db);
    if (!transaction.status().ok())
        return transaction.status();
    auto found = findExisting(className, name);
    if (!found)
        return found.status();
    // The memberships go with it (ON DELETE CASCADE).
    auto query = m_db->query("DELETE FROM objects WHERE id = ?");
    query.bind(found->id);
    if (Status s = query.run(); !s)
        return s;
    return transaction.commit();
}

Result<StoredObject> SqliteStore::findMember(
    qint64 groupId, const QString &memberName, const QString &fixedClass, QString *groupName)
{
    auto group = findById(groupId);
    if (!group)
        return group.status();
    if (!group->has_value())
        return Result<StoredObject>::failure(QStringLiteral("Ce groupe n'existe plus dans l'annuaire."));
    *groupName = (*group)->name;
    return findExisting(fixedClass, memberName);
}

Status SqliteStore::addMember(qint64 groupId, const QString &memberName, const QString &fixedClass)
{
    SqliteTransaction transaction(*m_db);
    if (!transaction.status().ok())
        return transaction.status();
    QString groupName;
    auto member = findMember(groupId, memberName, fixedClass, &groupName);
    if (!member)
        return member.status();
    if (member->id == groupId)
        return Status::failure(QStringLiteral("Le groupe « %1 » ne peut pas être membre de lui-même.").arg(groupName));
    auto query = m_db->query("INSERT OR IGNORE INTO members (group_id, member_id) VALUES (?, ?)");
    query.bind(groupId).bind(member->id);
    if (Status s = query.run(); !s)
        return s;
    if (m_db->changes() == 0)
        return Status::failure(QStringLiteral("« %1 » est déjà membre du groupe « %2 ».").arg(member->name, groupName));
    return transaction.commit();
}

Status SqliteStore::removeMember(qint64 groupId, const QString &memberName, const QString &fixedClass)
{
    SqliteTransaction transaction(*m_db);
    if (!transaction.status().ok())
        return transaction.status();
    QString groupName;
    auto member = findMember(groupId, memberName, fixedClass, &groupName);
    if (!member)
        return member.status();
    auto query = m_db->query("DELETE FROM members WHERE group_id = ? AND member_id = ?");
    query.bind(groupId).bind(member->id);
    if (Status s = query.run(); !s)
        return s;
    if (m_db->changes() == 0)
        return Status::failure(
            QStringLiteral("« %1 » n'est pas membre du groupe « %2 ».").arg(member->name, groupName));
    return transaction.commit();
}

Status SqliteStore::setLocked(const QString &name, bool locked)
{
    // The lookup and the change are one transaction: an account removed in between is not reported
    // as changed.
    SqliteTransaction transaction(*m_db);
    if (!transaction.status().ok())
        return transaction.status();
    auto user = findExisting(QStringLiteral("User"), name);
    if (!user)
        return user.status();
    auto query = m_db->query("UPDATE objects SET locked = ? WHERE id = ?");
    query.bind(qint64(locked ? 1 : 0)).bind(user->id);
    if (Status s = query.run(); !s)
        return s;
    return transaction.commit();
}

Status SqliteStore::setLastLogin(const QString &name, const QDateTime &when)
{
    // The lookup and the change are one transaction: an account removed in between is not reported
    // as changed.
    SqliteTransaction transaction(*m_db);
    if (!transaction.status().ok())
        return transaction.status();
    auto user = findExisting(QStringLiteral("User"), name);
    if (!user)
        return user.status();
    auto query = m_db->query("UPDATE objects SET last_login = ? WHERE id = ?");
    if (when.isValid())
        query.bind(when.toMSecsSinceEpoch());
    else
        query.bindNull();
    query.bind(user->id);
    if (Status s = query.run(); !s)
        return s;
    return transaction.commit();
}

Result<QByteArray> SqliteStore::passwordOf(const QString &name)
{
    auto user = findExisting(QStringLiteral("User"), name);
    if (!user)
        return user.status();
    auto query = m_db->query("SELECT password FROM objects WHERE id = ?");
    query.bind(user->id);
    if (query.next())
        return query.isNull(0) ? QByteArray() : query.text(0).toLatin1();
    if (!query.status().ok())
        return query.status();
    return Result<QByteArray>::failure(missingMessage(QStringLiteral("User"), name));
}
