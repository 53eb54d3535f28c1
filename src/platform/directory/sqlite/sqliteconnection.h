#pragma once

#include "text/result.h"

#include <QByteArray>
#include <QHash>
#include <QString>

#include <memory>

struct sqlite3;
struct sqlite3_stmt;

// One connection to an SQLite file, used from one thread. Statements are prepared once and kept;
// a query borrows one and resets it when it goes, so no read stays open between two calls and the
// file can be shared with another process.
class SqliteConnection
{
public:
    class Query
    {
    public:
        Query(Query &&other) noexcept;
        Query(const Query &) = delete;
        Query &operator=(const Query &) = delete;
        ~Query();

        // Binds the next parameter, left to right.
        Query &bind(const QString &text);
        Query &bind(qint64 number);
        Query &bind(const QByteArray &bytes);
        Query &bindNull();

        // Steps to the next row; false at the end or on failure (see status()).
        bool next();
        // Runs a statement that returns no rows.
        Status run();
        Status status() const { return m_status; }

        bool isNull(int column) const;
        QString text(int column) const;
        qint64 integer(int column) const;
        QByteArray bytes(int column) const;

    private:
        friend class SqliteConnection;
        Query(SqliteConnection *connection, sqlite3_stmt *statement, bool owned, Status status);

        SqliteConnection *m_connection = nullptr;
        sqlite3_stmt *m_statement = nullptr;
        bool m_owned = false;
        int m_next = 1;
        Status m_status;
    };

    // Opens or creates the file, waiting up to busyMillis for another process's write to finish.
    static Result<std::unique_ptr<SqliteConnection>> open(const QString &file, int busyMillis);
    ~SqliteConnection();

    // sql must be a literal: its address keys the prepared statement.
    Query query(const char *sql);
    // A statement made for one use, for text built at run time.
    Query queryOnce(const QByteArray &sql);
    // Runs statements that return no rows.
    Status exec(const char *sql);
    bool inTransaction() const;
    // Rows changed by the last statement.
    qint64 changes() const;
    // The last failure of the connection, as a French sentence.
    Status failure() const;

private:
    explicit SqliteConnection(sqlite3 *db)
        : m_db(db)
    {
    }
    void release(sqlite3_stmt *statement, bool owned);

    struct Cached
    {
        sqlite3_stmt *statement = nullptr;
        bool inUse = false;
    };
    sqlite3 *m_db = nullptr;
    QHash<const char *, Cached> m_cache;
};

// BEGIN IMMEDIATE on creation, rolled back unless commit() succeeds: an operation that fails half way
// leaves the file as it was.
class SqliteTransaction
{
public:
    explicit SqliteTransaction(SqliteConnection &connection);
    ~SqliteTransaction();
    SqliteTransaction(const SqliteTransaction &) = delete;
    SqliteTransaction &operator=(const SqliteTransaction &) = delete;

    const Status &status() const { return m_status; }
    Status commit();

private:
    SqliteConnection &m_connection;
    Status m_status;
    bool m_open = false;
};
