#include "ldapaccountbatch.h"

#include "directory/directory.h"
#include "directory/directorypath.h"
#include "directory/dirpaths.h"
#include "ldapobject.h"

#include <QHash>

#include <ldap.h>

#include <optional>

namespace {

using PasswordTime = NewAccount::PasswordTime;

LdapObject &asLdap(DirObject &object)
{
    // Every handle of the LDAP directory is one.
    return static_cast<LdapObject &>(object);
}

bool hasProperties(const NewAccount &account)
{
    return !account.homeDirectory.isEmpty() || !account.logonScript.isEmpty();
}

bool isProperty(const LdapMod &mod)
{
    return mod.attribute == QStringLiteral("homeDirectory") || mod.attribute == QStringLiteral("scriptPath");
}

// A failure of the connection itself: the same for every write, none worth sending alone.
bool connectionFailed(const LdapReply &reply)
{
    return reply.opening || reply.unreachable();
}

// The home directory and logon script as the add of a new account holds them, once the domain's rules
// admit them; refused, they are not written, as when they are set on their own.
Result<QList<LdapMod>> propertyValues(DirObject &container, const NewAccount &account)
{
    auto handle = container.create(DirKind::User, account.login);
    if (!handle)
        return handle.status();
    if (Status s = (*handle)->put(DirProperty::HomeDirectory, account.homeDirectory); !s)
        return s;
    if (Status s = (*handle)->put(DirProperty::LoginScript, account.logonScript); !s)
        return s;
    auto entry = asLdap(**handle).newEntry();
    if (!entry)
        return entry.status();
    QList<LdapMod> values;
    for (const LdapMod &mod : std::as_const(entry->mods)) {
        if (isProperty(mod))
            values.append(mod);
    }
    return values;
}

} // namespace

// What the batch knows of one account it makes.
struct LdapAccountBatch::Pending
{
    qsizetype index = -1; // in the accounts given
    DirObjectPtr user; // the new account's handle
    LdapWrite entry; // its add
    bool withProperties = false; // its home directory and logon script go in the add
    std::optional<Result<LdapSession::Account>> found; // as a group add finds it, once asked
};

LdapAccountBatch::LdapAccountBatch(Directory &directory, std::shared_ptr<LdapSession> session, QString serverName)
    : m_directory(directory)
    , m_session(std::move(session))
    , m_server(std::move(serverName))
{
}

Result<LdapSession::Account> LdapAccountBatch::lookUp(const QString &name, DirKind kind)
{
    auto path = DirNames::parsePath(DirPaths::object(m_server, name, kind));
    if (!path)
        return path.status();
    return m_session->require(path->name, path->fixedClass);
}

QList<AccountReport> LdapAccountBatch::make(const QList<NewAccount> &accounts)
{
    QList<AccountReport> reports(accounts.size());
    std::vector<Pending> pending;
    for (qsizetype i = 0; i < accounts.size(); ++i) {
        // An account taken over is bound, not made: rare enough to go through its steps alone.
        if (accounts[i].existing)
            reports[i] = makeAccount(m_directory, m_server, accounts[i]);
        else
            pending.push_back(Pending {i, nullptr, {}, false, std::nullopt});
    }
    if (pending.empty())
        return reports;
    auto container = m_directory.bind(DirPaths::container(m_server));
    if (!container) {
        // Each account is told why in its own words.
        for (const Pending &p : std::as_const(pending))
            reports[p.index] = makeAccount(m_directory, m_server, accounts[p.index]);
        return reports;
    }
    addAccounts(**container, accounts, pending, reports);
    joinGroups(accounts, pending, reports);
    givePasswords(accounts, pending, reports);
    return reports;
}

void LdapAccountBatch::addAccounts(DirObject &container, const QList<NewAccount> &accounts,
    std::vector<Pending> &pending, QList<AccountReport> &reports)
{
    QList<Pending *> sent;
    QList<LdapWrite> adds;
    for (Pending &p : pending) {
        const NewAccount &account = accounts[p.index];
        AccountReport &report = reports[p.index];
        auto made = container.create(DirKind::User, account.login);
        if (!made) {
            report.created = made.status();
            continue;
        }
        p.user = std::move(*made);
        // A property refused leaves the account unwritten.
        report.created = p.user->put(DirProperty::FullName, account.fullName);
        if (report.created)
            report.created = p.user->put(DirProperty::Description, account.description);
        if (report.created && account.passwordTime == PasswordTime::WithAccount)
            report.passwordSet = p.user->setPassword(account.password);
        if (!report.created)
            continue;
        auto entry = asLdap(*p.user).newEntry();
        if (!entry) {
            report.created = entry.status();
            continue;
        }
        p.entry = *entry;
        if (hasProperties(account)) {
            auto values = propertyValues(container, account);
            if (values) {
                p.entry.mods.append(*values);
                p.withProperties = true;
            } else {
                report.properties = values.status();
            }
        }
        sent.append(&p);
        adds.append(p.entry);
    }

    const QList<LdapReply> replies = m_session->connection().writeAll(adds);
    // Refused with its home directory and logon script, an account is added again without them, and
    // they are then set on their own: the account is not lost for the sake of a property.
    QList<Pending *> again;
    QList<LdapWrite> bare;
    for (qsizetype k = 0; k < sent.size(); ++k) {
        Pending &p = *sent[k];
        const LdapReply &reply = replies[k];
        if (!reply.ok() && p.withProperties && reply.code != LDAP_ALREADY_EXISTS && !connectionFailed(reply)) {
            p.entry.mods.removeIf(isProperty);
            p.withProperties = false;
            again.append(&p);
            bare.append(p.entry);
            continue;
        }
        reports[p.index].created = asLdap(*p.user).newEntryStored(p.entry, reply);
    }
    const QList<LdapReply> retried = m_session->connection().writeAll(bare);
    for (qsizetype k = 0; k < again.size(); ++k) {
        Pending &p = *again[k];
        const NewAccount &account = accounts[p.index];
        AccountReport &report = reports[p.index];
        report.created = asLdap(*p.user).newEntryStored(p.entry, retried[k]);
        if (report.created)
            report.properties = AccountSteps::setHomeAndScript(
                m_directory, m_server, account.login, account.homeDirectory, account.logonScript);
    }

    // An account not made: its password is not given, and its home directory and logon script are
    // set on whatever account holds the name, as ever.
    for (const Pending &p : std::as_const(pending)) {
        const NewAccount &account = accounts[p.index];
        AccountReport &report = reports[p.index];
        if (report.made())
            continue;
        if (account.passwordTime != PasswordTime::Never && report.passwordSet)
            report.passwordSet = AccountSteps::passwordOfUnmade();
        if (hasProperties(account))
            report.properties = AccountSteps::setHomeAndScript(
                m_directory, m_server, account.login, account.homeDirectory, account.logonScript);
    }
}

void LdapAccountBatch::joinGroups(
    const QList<NewAccount> &accounts, std::vector<Pending> &pending, QList<AccountReport> &reports)
{
    // Each group once, in the order the accounts name them; a member is an account and its step.
    struct Member
    {
        Pending *account;
        qsizetype step;
        QString name;
        QByteArray dn;
    };
    struct Joining
    {
        DirObjectPtr group;
        QList<Member> members;
    };
    QStringList order;
    QHash<QString, QList<std::pair<Pending *, qsizetype>>> named;
    for (Pending &p : pending) {
        for (const QString &group : accounts[p.index].groups) {
            reports[p.index].groups.append({group, Status()});
            if (!named.contains(group))
                order.append(group);
            named[group].append({&p, reports[p.index].groups.size() - 1});
        }
    }

    std::vector<Joining> joinings;
    for (const QString &name : std::as_const(order)) {
        auto group = lookUp(name, DirKind::Group);
        Joining joining;
        for (const auto &[p, step] : std::as_const(named[name])) {
            Status &joined = reports[p->index].groups[step].joined;
            // The account as the group add finds it: made now, or found by its name.
            if (!p->found) {
                if (reports[p->index].made())
                    p->found = LdapSession::Account {
                        p->entry.dn, QByteArray(), accounts[p->index].login, QStringLiteral("User")};
                else
                    p->found = lookUp(accounts[p->index].login, DirKind::User);
            }
            if (!*p->found)
                joined = p->found->status();
            else if (!group)
                joined = group.status();
            else
                joining.members.append({p, step, (*p->found)->name, (*p->found)->dn.toUtf8()});
        }
        if (joining.members.isEmpty())
            continue;
        joining.group = LdapObject::found(m_session, m_server, *group);
        joinings.push_back(std::move(joining));
    }

    QList<LdapWrite> writes;
    for (const Joining &joining : std::as_const(joinings)) {
        QList<QByteArray> dns;
        for (const Member &member : joining.members)
            dns.append(member.dn);
        writes.append(LdapWrite {LdapWrite::Modify, asLdap(*joining.group).target(),
            {LdapMod {LdapMod::Add, QStringLiteral("member"), dns}}});
    }
    const QList<LdapReply> replies = m_session->connection().writeAll(writes);
    // A group that refuses its new members together (one of them in it already, say) is given them
    // one by one, so that each account hears what became of its own.
    QList<std::pair<LdapObject *, const Member *>> alone;
    QList<LdapWrite> single;
    for (std::size_t k = 0; k < joinings.size(); ++k) {
        LdapObject &group = asLdap(*joinings[k].group);
        const LdapReply &reply = replies[qsizetype(k)];
        for (const Member &member : joinings[k].members) {
            if (reply.ok() || connectionFailed(reply) || joinings[k].members.size() == 1) {
                reports[member.account->index].groups[member.step].joined = group.memberAdded(member.name, reply);
                continue;
            }
            alone.append({&group, &member});
            single.append(LdapWrite {
                LdapWrite::Modify, group.target(), {LdapMod {LdapMod::Add, QStringLiteral("member"), {member.dn}}}});
        }
    }
    const QList<LdapReply> singleReplies = m_session->connection().writeAll(single);
    for (qsizetype k = 0; k < alone.size(); ++k) {
        const auto &[group, member] = alone[k];
        reports[member->account->index].groups[member->step].joined
            = group->memberAdded(member->name, singleReplies[k]);
    }
}

void LdapAccountBatch::givePasswords(
    const QList<NewAccount> &accounts, std::vector<Pending> &pending, QList<AccountReport> &reports)
{
    QList<Pending *> given;
    QList<LdapWrite> writes;
    for (Pending &p : pending) {
        const NewAccount &account = accounts[p.index];
        AccountReport &report = reports[p.index];
        if (account.passwordTime != PasswordTime::Last || !report.made())
            continue;
        auto write = asLdap(*p.user).firstPassword(account.password);
        if (!write) {
            report.passwordSet = write.status();
            continue;
        }
        given.append(&p);
        writes.append(*write);
    }
    const QList<LdapReply> replies = m_session->connection().writeAll(writes);
    for (qsizetype k = 0; k < given.size(); ++k)
        reports[given[k]->index].passwordSet = asLdap(*given[k]->user).changesStored(replies[k]);
}
