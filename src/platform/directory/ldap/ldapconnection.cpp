#include "ldapconnection.h"

#include <QFileInfo>

#include <ldap.h>
#include <openldap.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <memory>
#include <vector>

namespace {

// Debian's bundle, for servers whose certificate a public authority signed.
const char systemCertificates[] = "/etc/ssl/certs/ca-certificates.crt";

timeval toTimeval(int ms)
{
    timeval tv;
    tv.tv_sec = ms / 1000;
    tv.tv_usec = (ms % 1000) * 1000;
    return tv;
}

// The library writes to its socket with write(): a server gone away must make that call fail, not
// end the program. SIGPIPE is held back while the library works and a pending one dropped after.
class QuietPipe
{
public:
    QuietPipe()
    {
        sigemptyset(&m_pipe);
        sigaddset(&m_pipe, SIGPIPE);
        pthread_sigmask(SIG_BLOCK, &m_pipe, &m_previous);
    }
    ~QuietPipe()
    {
        if (sigismember(&m_previous, SIGPIPE))
            return;
        const timespec now {0, 0};
        while (sigtimedwait(&m_pipe, nullptr, &now) > 0) { }
        pthread_sigmask(SIG_SETMASK, &m_previous, nullptr);
    }
    QuietPipe(const QuietPipe &) = delete;
    QuietPipe &operator=(const QuietPipe &) = delete;

private:
    sigset_t m_pipe;
    sigset_t m_previous;
};

QString diagnosticOf(LDAP *ld, int code)
{
    char *text = nullptr;
    QString diagnostic;
    if (ld && ldap_get_option(ld, LDAP_OPT_DIAGNOSTIC_MESSAGE, &text) == LDAP_OPT_SUCCESS && text) {
        diagnostic = QString::fromUtf8(text).trimmed();
        ldap_memfree(text);
    }
    if (diagnostic.isEmpty())
        diagnostic = QString::fromUtf8(ldap_err2string(code));
    return diagnostic;
}

LdapReply replyOf(LDAP *ld, int code)
{
    if (code == LDAP_SUCCESS)
        return {};
    return LdapReply {code, diagnosticOf(ld, code)};
}

// A request that got no answer in time, whether the library or the watchdog said so.
LdapReply timedOut()
{
    return LdapReply {LDAP_TIMEOUT, QStringLiteral("délai dépassé")};
}

// Owns the C arrays libldap wants for an add or a modify.
class ModArray
{
public:
    explicit ModArray(const QList<LdapMod> &mods)
    {
        for (const LdapMod &mod : mods) {
            auto entry = std::make_unique<Entry>();
            entry->name = mod.attribute.toUtf8();
            for (const QByteArray &value : mod.values) {
                entry->data.push_back(value);
                entry->values.push_back(
                    berval {static_cast<ber_len_t>(value.size()), const_cast<char *>(entry->data.back().constData())});
            }
            for (berval &value : entry->values)
                entry->pointers.push_back(&value);
            entry->pointers.push_back(nullptr);
            entry->mod.mod_op = LDAP_MOD_BVALUES
                | (mod.op == LdapMod::Add           ? LDAP_MOD_ADD
                        : mod.op == LdapMod::Delete ? LDAP_MOD_DELETE
                                                    : LDAP_MOD_REPLACE);
            entry->mod.mod_type = entry->name.data();
            entry->mod.mod_bvalues = entry->values.empty() ? nullptr : entry->pointers.data();
            m_pointers.push_back(&entry->mod);
            m_entries.push_back(std::move(entry));
        }
        m_pointers.push_back(nullptr);
    }
    LDAPMod **get() { return m_pointers.data(); }

private:
    struct Entry
    {
        QByteArray name;
        std::vector<QByteArray> data;
        std::vector<berval> values;
        std::vector<berval *> pointers;
        LDAPMod mod {};
    };
    std::vector<std::unique_ptr<Entry>> m_entries;
    std::vector<LDAPMod *> m_pointers;
};

void readEntries(LDAP *ld, LDAPMessage *result, QList<LdapEntry> *entries)
{
    for (LDAPMessage *e = ldap_first_entry(ld, result); e; e = ldap_next_entry(ld, e)) {
        LdapEntry entry;
        if (char *dn = ldap_get_dn(ld, e)) {
            entry.dn = QString::fromUtf8(dn);
            ldap_memfree(dn);
        }
        BerElement *ber = nullptr;
        for (char *name = ldap_first_attribute(ld, e, &ber); name; name = ldap_next_attribute(ld, e, ber)) {
            QList<QByteArray> values;
            if (berval **raw = ldap_get_values_len(ld, e, name)) {
                for (berval **v = raw; *v; ++v)
                    values.append(QByteArray((*v)->bv_val, static_cast<qsizetype>((*v)->bv_len)));
                ldap_value_free_len(raw);
            }
            entry.attributes.insert(QString::fromUtf8(name).toLower(), values);
            ldap_memfree(name);
        }
        if (ber)
            ber_free(ber, 0);
        entries->append(std::move(entry));
    }
}

} // namespace

QByteArray LdapEntry::first(const QString &name) const
{
    const QList<QByteArray> all = values(name);
    return all.isEmpty() ? QByteArray() : all.first();
}

bool LdapReply::unreachable() const
{
    return code == LDAP_SERVER_DOWN || code == LDAP_CONNECT_ERROR || code == LDAP_TIMEOUT;
}

LdapConnection::LdapConnection(LdapConfig config, QByteArray password, Timeouts timeouts)
    : m_config(std::move(config))
    , m_password(std::move(password))
    , m_timeouts(timeouts)
{
}

LdapConnection::~LdapConnection()
{
    close();
    m_password.fill('\0');
}

void LdapConnection::close()
{
    QuietPipe quiet;
    if (m_ld)
        ldap_unbind_ext_s(m_ld, nullptr, nullptr);
    m_ld = nullptr;
    m_encrypted = false;
}

LdapReply LdapConnection::openSocket(int *fd) const
{
    *fd = -1;
    LDAPURLDesc *url = nullptr;
    if (ldap_url_parse(m_config.uri.toUtf8().constData(), &url) != LDAP_URL_SUCCESS || !url->lud_host
        || !*url->lud_host) {
        if (url)
            ldap_free_urldesc(url);
        return LdapReply {LDAP_PARAM_ERROR, QStringLiteral("adresse du serveur illisible")};
    }
    const QByteArray host = url->lud_host;
    const bool secure = QByteArray(url->lud_scheme).toLower() == "ldaps";
    const QByteArray port = QByteArray::number(url->lud_port > 0 ? url->lud_port : secure ? 636 : 389);
    ldap_free_urldesc(url);

    addrinfo hints {};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo *addresses = nullptr;
    if (const int failed = ::getaddrinfo(host.constData(), port.constData(), &hints, &addresses); failed != 0)
        return LdapReply {LDAP_CONNECT_ERROR, QString::fromUtf8(::gai_strerror(failed))};

    // The library's own connect timeout leaves its TLS handshake spinning; this connect is bounded here.
    QString lastError = QStringLiteral("aucune adresse");
    bool silent = false; // the last address tried let the connection wait past its bound
    for (addrinfo *a = addresses; a && *fd < 0; a = a->ai_next) {
        const int s = ::socket(a->ai_family, a->ai_socktype | SOCK_CLOEXEC | SOCK_NONBLOCK, a->ai_protocol);
        if (s < 0)
            continue;
        int error = 0;
        if (::connect(s, a->ai_addr, a->ai_addrlen) != 0) {
            error = errno;
            if (error == EINPROGRESS) {
                pollfd waiting {s, POLLOUT, 0};
                const int ready = ::poll(&waiting, 1, m_timeouts.connectMs);
                socklen_t length = sizeof error;
                if (ready <= 0)
                    error = ETIMEDOUT;
                else if (::getsockopt(s, SOL_SOCKET, SO_ERROR, &error, &length) != 0)
                    error = errno;
            }
        }
        if (error != 0) {
            silent = error == ETIMEDOUT;
            lastError = QString::fromLocal8Bit(::strerror(error));
            ::close(s);
            continue;
        }
        ::fcntl(s, F_SETFL, ::fcntl(s, F_GETFL) & ~O_NONBLOCK);
        *fd = s;
    }
    ::freeaddrinfo(addresses);
    if (*fd < 0)
        return LdapReply {silent ? LDAP_TIMEOUT : LDAP_CONNECT_ERROR, lastError};
    return {};
}

LdapReply LdapConnection::connect(LDAP **handle, const QString &dn, const QByteArray &password) const
{
    *handle = nullptr;
    QuietPipe quiet;
    int fd = -1;
    if (LdapReply opened = openSocket(&fd); !opened.ok())
        return opened;
    LDAP *ld = nullptr;
    int code = ldap_init_fd(fd, LDAP_PROTO_TCP, m_config.uri.toUtf8().constData(), &ld);
    if (code != LDAP_SUCCESS) {
        ::close(fd);
        return LdapReply {code, QString::fromUtf8(ldap_err2string(code))};
    }
    const auto fail = [&](int failed) {
        LdapReply reply = replyOf(ld, failed);
        ldap_unbind_ext_s(ld, nullptr, nullptr);
        return reply;
    };

    const int version = LDAP_VERSION3;
    const timeval operation = toTimeval(m_timeouts.operationMs);
    const int requireCert = m_config.verifyServer ? LDAP_OPT_X_TLS_DEMAND : LDAP_OPT_X_TLS_NEVER;
    ldap_set_option(ld, LDAP_OPT_PROTOCOL_VERSION, &version);
    // A search at the domain's root also returns a reference to the configuration partition:
    // following it would mean a connection to a name nobody configured.
    ldap_set_option(ld, LDAP_OPT_REFERRALS, LDAP_OPT_OFF);
    ldap_set_option(ld, LDAP_OPT_TIMEOUT, &operation);
    ldap_set_option(ld, LDAP_OPT_X_TLS_REQUIRE_CERT, &requireCert);
    QByteArray caFile = QFile::encodeName(m_config.caFile);
    if (caFile.isEmpty() && QFileInfo::exists(QString::fromLatin1(systemCertificates)))
        caFile = systemCertificates;
    if (!caFile.isEmpty())
        ldap_set_option(ld, LDAP_OPT_X_TLS_CACERTFILE, caFile.constData());
    const int client = 0;
    if (ldap_set_option(ld, LDAP_OPT_X_TLS_NEWCTX, &client) != LDAP_OPT_SUCCESS)
        return fail(LDAP_LOCAL_ERROR);

    m_watchdog.arm(fd, std::chrono::milliseconds(m_timeouts.connectMs + m_timeouts.operationMs));
    // The bind password never crosses the network in clear: no TLS, no bind.
    if (m_config.uri.startsWith(QStringLiteral("ldaps://"), Qt::CaseInsensitive))
        code = ldap_install_tls(ld);
    else
        code = ldap_start_tls_s(ld, nullptr, nullptr);
    if (code == LDAP_SUCCESS) {
        QByteArray secret = password;
        berval credentials {static_cast<ber_len_t>(secret.size()), secret.data()};
        code = ldap_sasl_bind_s(ld, dn.toUtf8().constData(), LDAP_SASL_SIMPLE, &credentials, nullptr, nullptr, nullptr);
        secret.fill('\0');
    }
    if (m_watchdog.disarm())
        return fail(LDAP_TIMEOUT);
    if (code != LDAP_SUCCESS)
        return fail(code);
    if (!ldap_tls_inplace(ld))
        return fail(LDAP_CONFIDENTIALITY_REQUIRED);
    *handle = ld;
    return {};
}

LdapReply LdapConnection::open()
{
    if (m_ld)
        return {};
    // A server that has just kept a request waiting is not waited for again at each request: a run
    // over hundreds of pupils would wait for each one in turn.
    if (!m_silence.ok() && std::chrono::steady_clock::now() < m_silentUntil) {
        LdapReply held = m_silence;
        held.opening = true;
        return held;
    }
    LdapReply reply = connect(&m_ld, m_config.bindDn, m_password);
    m_encrypted = reply.ok();
    reply.opening = !reply.ok();
    noteSilence(reply);
    if (reply.ok())
        ++m_generation;
    return reply;
}

void LdapConnection::noteSilence(const LdapReply &reply)
{
    if (reply.code == LDAP_TIMEOUT) {
        m_silence = reply;
        m_silentUntil = std::chrono::steady_clock::now() + std::chrono::milliseconds(m_timeouts.silentServerMs);
    } else if (reply.ok() || (reply.code != LDAP_SERVER_DOWN && reply.code != LDAP_CONNECT_ERROR)) {
        // The server answered, if only to refuse.
        m_silence = LdapReply();
    }
}

LdapReply LdapConnection::bindAs(const QString &dn, const QByteArray &password) const
{
    // An empty password makes an anonymous bind, which proves nothing about the account.
    if (password.isEmpty())
        return LdapReply {LDAP_INVALID_CREDENTIALS, QStringLiteral("empty password")};
    LDAP *ld = nullptr;
    LdapReply reply = connect(&ld, dn, password);
    QuietPipe quiet;
    if (ld)
        ldap_unbind_ext_s(ld, nullptr, nullptr);
    return reply;
}

LdapReply LdapConnection::run(const std::function<LdapReply(LDAP *)> &request)
{
    QuietPipe quiet;
    for (int attempt = 0;; ++attempt) {
        if (LdapReply opened = open(); !opened.ok())
            return opened;
        int fd = -1;
        ldap_get_option(m_ld, LDAP_OPT_DESC, &fd);
        // The library bounds the wait for an answer; this bounds a read stuck inside a TLS record.
        m_watchdog.arm(fd, std::chrono::milliseconds(m_timeouts.operationMs + 5000));
        LdapReply reply = request(m_ld);
        if (m_watchdog.disarm())
            reply = timedOut();
        // A connection the server or the network dropped (an idle one, a restarted server) is
        // opened again once; a request that timed out is not sent twice.
        if (attempt == 0 && (reply.code == LDAP_SERVER_DOWN || reply.code == LDAP_CONNECT_ERROR)) {
            close();
            continue;
        }
        if (reply.code == LDAP_SERVER_DOWN || reply.code == LDAP_CONNECT_ERROR || reply.code == LDAP_TIMEOUT)
            close();
        noteSilence(reply);
        return reply;
    }
}

LdapReply LdapConnection::search(const QString &base, Scope scope, const QString &filter, const QStringList &attributes,
    QList<LdapEntry> *entries, int pageSize)
{
    const QByteArray baseText = base.toUtf8();
    const QByteArray filterText = filter.toUtf8();
    std::vector<QByteArray> names;
    for (const QString &a : attributes)
        names.push_back(a.toUtf8());
    std::vector<char *> attrs;
    for (QByteArray &n : names)
        attrs.push_back(n.data());
    attrs.push_back(nullptr);
    const int ldapScope = scope == Scope::Base ? LDAP_SCOPE_BASE : LDAP_SCOPE_SUBTREE;
    timeval limit = toTimeval(m_timeouts.operationMs);

    return run([&](LDAP *ld) -> LdapReply {
        entries->clear();
        berval *cookie = nullptr;
        LdapReply outcome;
        do {
            LDAPControl *page = nullptr;
            LDAPControl *controls[2] = {nullptr, nullptr};
            if (pageSize > 0) {
                const int made = ldap_create_page_control(ld, pageSize, cookie, 0, &page);
                if (made != LDAP_SUCCESS) {
                    outcome = replyOf(ld, made);
                    break;
                }
                controls[0] = page;
            }
            LDAPMessage *result = nullptr;
            const int code = ldap_search_ext_s(ld, baseText.constData(), ldapScope, filterText.constData(),
                attrs.data(), 0, pageSize > 0 ? controls : nullptr, nullptr, &limit, LDAP_NO_LIMIT, &result);
            if (page)
                ldap_control_free(page);
            if (code != LDAP_SUCCESS) {
                outcome = replyOf(ld, code);
                ldap_msgfree(result);
                break;
            }
            readEntries(ld, result, entries);
            if (cookie) {
                ber_bvfree(cookie);
                cookie = nullptr;
            }
            LDAPControl **returned = nullptr;
            int resultCode = LDAP_SUCCESS;
            ldap_parse_result(ld, result, &resultCode, nullptr, nullptr, nullptr, &returned, 0);
            if (pageSize > 0 && returned) {
                if (LDAPControl *response = ldap_control_find(LDAP_CONTROL_PAGEDRESULTS, returned, nullptr)) {
                    ber_int_t estimate = 0;
                    berval next {0, nullptr};
                    if (ldap_parse_pageresponse_control(ld, response, &estimate, &next) == LDAP_SUCCESS
                        && next.bv_len > 0)
                        cookie = ber_bvdup(&next);
                    ber_memfree(next.bv_val);
                }
            }
            ldap_controls_free(returned);
            ldap_msgfree(result);
        } while (cookie);
        if (cookie)
            ber_bvfree(cookie);
        return outcome;
    });
}

LdapReply LdapConnection::add(const QString &dn, const QList<LdapMod> &attributes)
{
    const QByteArray dnText = dn.toUtf8();
    return run([&](LDAP *ld) {
        ModArray mods(attributes);
        return replyOf(ld, ldap_add_ext_s(ld, dnText.constData(), mods.get(), nullptr, nullptr));
    });
}

LdapReply LdapConnection::modify(const QString &dn, const QList<LdapMod> &changes)
{
    const QByteArray dnText = dn.toUtf8();
    return run([&](LDAP *ld) {
        ModArray mods(changes);
        return replyOf(ld, ldap_modify_ext_s(ld, dnText.constData(), mods.get(), nullptr, nullptr));
    });
}

QList<LdapReply> LdapConnection::writeAll(const QList<LdapWrite> &writes, int window)
{
    QuietPipe quiet;
    QList<LdapReply> replies(writes.size());
    QHash<int, qsizetype> underWay; // by message id, the write's place
    qsizetype next = 0;
    bool reopened = false;
    window = std::max(1, window);
    while (next < writes.size() || !underWay.isEmpty()) {
        if (LdapReply opened = open(); !opened.ok()) {
            // Nothing is under way on a connection that is not open.
            for (; next < writes.size(); ++next)
                replies[next] = opened;
            break;
        }
        int fd = -1;
        ldap_get_option(m_ld, LDAP_OPT_DESC, &fd);
        // As for one request: a read stuck inside a TLS record is cut, each answer in its turn.
        m_watchdog.arm(fd, std::chrono::milliseconds(m_timeouts.operationMs + 5000));
        LdapReply broken;
        while (next < writes.size() && underWay.size() < window) {
            const LdapWrite &write = writes[next];
            const QByteArray dn = write.dn.toUtf8();
            ModArray mods(write.mods);
            int id = -1;
            const int code = write.kind == LdapWrite::Add
                ? ldap_add_ext(m_ld, dn.constData(), mods.get(), nullptr, nullptr, &id)
                : ldap_modify_ext(m_ld, dn.constData(), mods.get(), nullptr, nullptr, &id);
            if (code == LDAP_SERVER_DOWN || code == LDAP_CONNECT_ERROR) {
                // Not sent: it goes on the next connection.
                broken = replyOf(m_ld, code);
                break;
            }
            if (code != LDAP_SUCCESS)
                replies[next] = replyOf(m_ld, code);
            else
                underWay.insert(id, next);
            ++next;
        }
        if (broken.ok() && !underWay.isEmpty()) {
            timeval limit = toTimeval(m_timeouts.operationMs);
            LDAPMessage *result = nullptr;
            const int type = ldap_result(m_ld, LDAP_RES_ANY, LDAP_MSG_ALL, &limit, &result);
            if (type > 0) {
                const int id = ldap_msgid(result);
                int code = LDAP_OTHER;
                char *text = nullptr;
                const int parsed = ldap_parse_result(m_ld, result, &code, nullptr, &text, nullptr, nullptr, 1);
                QString diagnostic = text ? QString::fromUtf8(text).trimmed() : QString();
                if (text)
                    ldap_memfree(text);
                if (parsed != LDAP_SUCCESS)
                    code = parsed;
                if (diagnostic.isEmpty() && code != LDAP_SUCCESS)
                    diagnostic = QString::fromUtf8(ldap_err2string(code));
                // Anything else (a notice from the server) answers none of the writes.
                if (const auto found = underWay.constFind(id); found != underWay.cend()) {
                    replies[*found] = code == LDAP_SUCCESS ? LdapReply() : LdapReply {code, diagnostic};
                    underWay.erase(found);
                }
            } else if (type == 0) {
                broken = timedOut();
            } else {
                int code = LDAP_SERVER_DOWN;
                ldap_get_option(m_ld, LDAP_OPT_RESULT_CODE, &code);
                broken = replyOf(m_ld, code == LDAP_SUCCESS ? LDAP_SERVER_DOWN : code);
            }
        }
        if (m_watchdog.disarm())
            broken = timedOut();
        if (broken.ok())
            continue;
        // The writes under way may or may not have been done: each says the connection failed under it.
        for (const qsizetype place : std::as_const(underWay))
            replies[place] = broken;
        underWay.clear();
        close();
        noteSilence(broken);
        if (reopened) {
            for (; next < writes.size(); ++next)
                replies[next] = broken;
            break;
        }
        reopened = true;
    }
    return replies;
}

LdapReply LdapConnection::remove(const QString &dn, bool treeDelete)
{
    const QByteArray dnText = dn.toUtf8();
    return run([&](LDAP *ld) {
        // Windows' tree delete control.
        char oid[] = "1.2.840.113556.1.4.805";
        LDAPControl tree {oid, {0, nullptr}, 1};
        LDAPControl *controls[2] = {&tree, nullptr};
        return replyOf(ld, ldap_delete_ext_s(ld, dnText.constData(), treeDelete ? controls : nullptr, nullptr));
    });
}

QString LdapConnection::connectionProblem(const LdapReply &reply) const
{
    switch (reply.code) {
    case LDAP_SUCCESS:
        return {};
    case LDAP_SERVER_DOWN:
    case LDAP_CONNECT_ERROR:
        return QStringLiteral("Le serveur d'annuaire %1 ne peut pas être joint (%2).")
            .arg(m_config.uri, reply.diagnostic);
    case LDAP_TIMEOUT:
        return QStringLiteral("Le serveur d'annuaire %1 n'a pas répondu à temps.").arg(m_config.uri);
    case LDAP_INVALID_CREDENTIALS:
        return QStringLiteral("Le serveur d'annuaire refuse le compte « %1 » ou son mot de passe (%2).")
            .arg(m_config.bindDn, reply.diagnostic);
    case LDAP_CONFIDENTIALITY_REQUIRED:
        return QStringLiteral("La connexion au serveur d'annuaire %1 n'est pas chiffrée : elle n'est pas utilisée.")
            .arg(m_config.uri);
    default:
        return {};
    }
}
