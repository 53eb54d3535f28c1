#pragma once

#include "config/ldapconfig.h"
#include "socketwatchdog.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <chrono>
#include <functional>

struct ldap;

// One entry of a search: its DN and its values, attribute names in lower case.
struct LdapEntry
{
    QString dn;
    QHash<QString, QList<QByteArray>> attributes;

    QList<QByteArray> values(const QString &name) const { return attributes.value(name.toLower()); }
    QByteArray first(const QString &name) const;
    QString text(const QString &name) const { return QString::fromUtf8(first(name)); }
    bool has(const QString &name) const { return attributes.contains(name.toLower()); }
};

struct LdapMod
{
    enum Op { Add, Delete, Replace };
    Op op;
    QString attribute;
    QList<QByteArray> values;
};

// One write among several sent together: an add of an entry with these attributes, or a modify.
struct LdapWrite
{
    enum Kind { Add, Modify };
    Kind kind;
    QString dn;
    QList<LdapMod> mods;
};

// What came back from one request: the LDAP result code (negative for the client library's own,
// such as a server out of reach) and the server's own words.
struct LdapReply
{
    int code = 0;
    QString diagnostic;
    bool opening = false; // the connection itself could not be opened

    bool ok() const { return code == 0; }
    // The connection is gone or never came up.
    bool unreachable() const;
};

// The program's one connection to the domain controller, opened on first use (TLS first, then the
// bind) and opened again, once, when it has dropped under a request. Every request is bounded in
// time; none is ever sent before the connection is encrypted.
class LdapConnection
{
public:
    enum class Scope { Base, Subtree };
    struct Timeouts
    {
        int connectMs = 5000;
        int operationMs = 30000;
        // A server that let a connection or a request wait past its bound is not waited for again
        // this soon: until then, every request fails at once as the last one did. A server that
        // refuses outright costs nothing to try, and is tried each time.
        int silentServerMs = 30000;
    };

    LdapConnection(LdapConfig config, QByteArray password, Timeouts timeouts);
    ~LdapConnection();
    LdapConnection(const LdapConnection &) = delete;
    LdapConnection &operator=(const LdapConnection &) = delete;

    const LdapConfig &config() const { return m_config; }

    LdapReply open();
    void close();
    bool isOpen() const { return m_ld != nullptr; }
    bool isEncrypted() const { return m_ld != nullptr && m_encrypted; }
    // Counts the connections opened: a new one may lead to another state of the server.
    int generation() const { return m_generation; }

    // pageSize > 0 asks for pages of that many entries (Windows servers cap a page at 1,000).
    // References to other partitions are left aside.
    LdapReply search(const QString &base, Scope scope, const QString &filter, const QStringList &attributes,
        QList<LdapEntry> *entries, int pageSize = 0);
    LdapReply add(const QString &dn, const QList<LdapMod> &attributes);
    LdapReply modify(const QString &dn, const QList<LdapMod> &mods);
    // Sends the writes with up to window of them under way at once, and gives each one's reply, in
    // their order: no write waits for the answer to the one before. Each answer is awaited no longer
    // than a request's is. A connection that drops or stops answering is opened again once for the
    // writes not yet sent; those already sent are never sent twice, as nobody knows whether the
    // server did them.
    QList<LdapReply> writeAll(const QList<LdapWrite> &writes, int window = 32);
    // treeDelete also removes what lies below the entry.
    LdapReply remove(const QString &dn, bool treeDelete = false);

    // Binds as someone else on a connection of its own, closed at once: does this password open
    // this account? The program's connection is left as it was.
    LdapReply bindAs(const QString &dn, const QByteArray &password) const;

    // A French sentence for a failure of the connection itself, or an empty text.
    QString connectionProblem(const LdapReply &reply) const;

private:
    LdapReply openSocket(int *fd) const;
    LdapReply connect(ldap **handle, const QString &dn, const QByteArray &password) const;
    LdapReply run(const std::function<LdapReply(ldap *)> &request);
    // Notes a reply: one that waited past its bound starts the time the server is not waited for.
    void noteSilence(const LdapReply &reply);

    LdapConfig m_config;
    QByteArray m_password;
    Timeouts m_timeouts;
    mutable SocketWatchdog m_watchdog;
    ldap *m_ld = nullptr;
    bool m_encrypted = false;
    int m_generation = 0;
    LdapReply m_silence; // the last wait past its bound, while it holds
    std::chrono::steady_clock::time_point m_silentUntil;
};
