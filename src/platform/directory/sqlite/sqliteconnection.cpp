#include "sqliteconnection.h"

#include <QFile>

#include <sqlite3.h>

namespace {

Status describe(sqlite3 *db, int code)
{
    const int primary = code & 0xff;
    if (primary == SQLITE_BUSY || primary == SQLITE_LOCKED)
        return Status::failure(
            QStringLiteral("L'annuaire est occupé par un autre programme ; réessayez dans un instant."));
    if (primary == SQLITE_CANTOPEN)
        return Status::failure(QStringLiteral("Le fichier ne peut être ni ouvert ni créé."));
    if (primary == SQLITE_READONLY || primary == SQLITE_PERM)
        return Status::failure(
            QStringLiteral("L'annuaire ne peut pas être modifié : le fichier est en lecture seule."));
    if (primary == SQLITE_FULL)
        return Status::failure(QStringLiteral("Le disque de l'annuaire est plein."));
    if (primary == SQLITE_NOTADB || primary == SQLITE_CORRUPT)
        return Status::failure(QStringLiteral("Le fichier de l'annuaire est illisible ou endommagé."));
    return Status::failure(QStringLiteral("Erreur de l'annuaire : %1.")
                               .arg(QString::fromUtf8(db ? sqlite3_errmsg(db) : sqlite3_errstr(code))));
}

} // namespace

Result<std::unique_ptr<SqliteConnection>> SqliteConnection::open(const QString &file, int busyMillis)
{
    sqlite3 *db = nullptr;
    const int code = sqlite3_open_v2(QFile::encodeName(file).constData(), &db,
        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
    if (code != SQLITE_OK) {
        const Status failure = describe(db, code);
        sqlite3_close(db);
        return failure;
    }
    sqlite3_extended_result_codes(db, 1);
    sqlite3_busy_timeout(db, busyMillis);
    return std::unique_ptr<SqliteConnection>(new SqliteConnection(db));
}

SqliteConnection::~SqliteConnection()
{
    for (const Cached &cached : std::as_const(m_cache))
        sqlite3_finalize(cached.statement);
    sqlite3_close(m_db);
}

SqliteConnection::Query SqliteConnection::query(const char *sql)
{
    auto found = m_cache.find(sql);
    if (found != m_cache.end() && !found->inUse) {
        found->inUse = true;
        return Query(this, found->statement, false, {});
    }
    sqlite3_stmt *statement = nullptr;
    const int code = sqlite3_prepare_v3(m_db, sql, -1, SQLITE_PREPARE_PERSISTENT, &statement, nullptr);
    if (code != SQLITE_OK)
        return Query(this, nullptr, true, describe(m_db, code));
    // A statement already borrowed (a query run while another of the same text is open) gets a
    // copy of its own, dropped after use.
    if (found != m_cache.end())
        return Query(this, statement, true, {});
    m_cache.insert(sql, Cached {statement, true});
    return Query(this, statement, false, {});
}

SqliteConnection::Query SqliteConnection::queryOnce(const QByteArray &sql)
{
    sqlite3_stmt *statement = nullptr;
    const int code = sqlite3_prepare_v2(m_db, sql.constData(), int(sql.size()), &statement, nullptr);
    if (code != SQLITE_OK)
        return Query(this, nullptr, true, describe(m_db, code));
    return Query(this, statement, true, {});
}

void SqliteConnection::release(sqlite3_stmt *statement, bool owned)
{
    if (!statement)
        return;
    if (owned) {
        sqlite3_finalize(statement);
        return;
    }
    sqlite3_reset(statement);
    sqlite3_clear_bindings(statement);
    for (Cached &cached : m_cache) {
        if (cached.statement == statement)
            cached.inUse = false;
    }
}

Status SqliteConnection::exec(const char *sql)
{
    const int code = sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr);
    return code == SQLITE_OK ? Status() : describe(m_db, code);
}

bool SqliteConnection::inTransaction() const
{
    return sqlite3_get_autocommit(m_db) == 0;
}

qint64 SqliteConnection::changes() const
{
    return sqlite3_changes64(m_db);
}

Status SqliteConnection::failure() const
{
    return describe(m_db, sqlite3_extended_errcode(m_db));
}

SqliteConnection::Query::Query(SqliteConnection *connection, sqlite3_stmt *statement, bool owned, Status status)
    : m_connection(connection)
    , m_statement(statement)
    , m_owned(owned)
    , m_status(std::move(status))
{
}

SqliteConnection::Query::Query(Query &&other) noexcept
    : m_connection(other.m_connection)
    , m_statement(other.m_statement)
    , m_owned(other.m_owned)
    , m_next(other.m_next)
    , m_status(std::move(other.m_status))
{
    other.m_statement = nullptr;
}

SqliteConnection::Query::~Query()
{
    if (m_connection)
        m_connection->release(m_statement, m_owned);
}

SqliteConnection::Query &SqliteConnection::Query::bind(const QString &text)
{
    if (m_statement) {
        const QByteArray utf8 = text.toUtf8();
        sqlite3_bind_text(m_statement, m_next, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
    }
    ++m_next;
    return *this;
}

SqliteConnection::Query &SqliteConnection::Query::bind(qint64 number)
{
    if (m_statement)
        sqlite3_bind_int64(m_statement, m_next, number);
    ++m_next;
    return *this;
}

SqliteConnection::Query &SqliteConnection::Query::bind(const QByteArray &bytes)
{
    if (m_statement)
        sqlite3_bind_blob(m_statement, m_next, bytes.constData(), int(bytes.size()), SQLITE_TRANSIENT);
    ++m_next;
    return *this;
}

SqliteConnection::Query &SqliteConnection::Query::bindNull()
{
    if (m_statement)
        sqlite3_bind_null(m_statement, m_next);
    ++m_next;
    return *this;
}

bool SqliteConnection::Query::next()
{
    if (!m_statement || !m_status.ok())
        return false;
    const int code = sqlite3_step(m_statement);
    if (code == SQLITE_ROW)
        return true;
    if (code != SQLITE_DONE)
        m_status = describe(m_connection->m_db, code);
    return false;
}

Status SqliteConnection::Query::run()
{
    while (next()) { }
    return m_status;
}

bool SqliteConnection::Query::isNull(int column) const
{
    return sqlite3_column_type(m_statement, column) == SQLITE_NULL;
}

QString SqliteConnection::Query::text(int column) const
{
    const auto *data = reinterpret_cast<const char *>(sqlite3_column_text(m_statement, column));
    return QString::fromUtf8(data, sqlite3_column_bytes(m_statement, column));
}

qint64 SqliteConnection::Query::integer(int column) const
{
    return sqlite3_column_int64(m_statement, column);
}

QByteArray SqliteConnection::Query::bytes(int column) const
{
    const auto *data = static_cast<const char *>(sqlite3_column_blob(m_statement, column));
    return QByteArray(data, sqlite3_column_bytes(m_statement, column));
}

SqliteTransaction::SqliteTransaction(SqliteConnection &connection)
    : m_connection(connection)
{
    m_status = m_connection.exec("BEGIN IMMEDIATE");
    m_open = m_status.ok();
}

SqliteTransaction::~SqliteTransaction()
{
    // A rollback fails only when SQLite has already ended the transaction itself, after an error that
    // the caller was told: nothing is left to undo.
    if (m_open)
        skipAndContinue(m_connection.exec("ROLLBACK"));
}

Status SqliteTransaction::commit()
{
    if (!m_open)
        return m_status;
    m_status = m_connection.exec("COMMIT");
    if (m_status.ok())
        m_open = false;
    return m_status;
}
