#include "ldapobject.h"

#include "directory/directorypath.h"
#include "ldapnames.h"

#include <ldap.h>

namespace {

using Property = LdapObject::Property;

// Windows keeps the RDN of an account or group to 64 characters.
constexpr int maxCommonName = 64;
constexpr qint64 accountDisabled = 0x2;
constexpr qint64 passwordNotRequired = 0x20;
constexpr qint64 normalAccount = 0x200;
constexpr qint64 lockedOut = 0x10; // in msDS-User-Account-Control-Computed
constexpr int membersPerLookup = 100;

// The attribute behind a text property.
QString attributeOf(Property property)
{
    switch (property) {
    case Property::FullName:
        return QStringLiteral("displayName");
    case Property::Description:
        return QStringLiteral("description");
    case Property::HomeDirectory:
        return QStringLiteral("homeDirectory");
    case Property::LoginScript:
        return QStringLiteral("scriptPath");
    default:
        return {};
    }
}

// groupType as the server keeps it: a security group of that scope.
QByteArray groupTypeValue(int scope)
{
    const qint32 value = static_cast<qint32>(0x80000000u | static_cast<quint32>(scope));
    return QByteArray::number(value);
}

const QString userFilter = QStringLiteral("(&(objectCategory=person)(objectClass=user))");
const QString groupFilter = QStringLiteral("(objectCategory=group)");
const QString globalGroupFilter
    = QStringLiteral("(&(objectCategory=group)(groupType:1.2.840.113556.1.4.803:=%1))").arg(globalGroupType);

// The search filter for what a container lists.
QString filterFor(const QList<DirListed> &listed)
{
    QStringList parts;
    for (const DirListed wanted : listed) {
        switch (wanted) {
        case DirListed::User:
            parts.append(userFilter);
            break;
        case DirListed::Group:
            parts.append(groupFilter);
            break;
        case DirListed::GlobalGroup:
            parts.append(globalGroupFilter);
            break;
        }
    }
    if (parts.size() == 1)
        return parts.first();
    return QStringLiteral("(|%1)").arg(parts.join(QString()));
}

// What a search reads of each account or group it lists.
const QStringList listedAttributes
    = {QStringLiteral("sAMAccountName"), QStringLiteral("objectClass"), QStringLiteral("objectGUID")};

// The server's word for a password its policy refuses (too short, too simple, too recent).
bool refusedByPolicy(const LdapReply &reply)
{
    return reply.diagnostic.contains(QStringLiteral("0000052D"), Qt::CaseInsensitive);
}

} // namespace

LdapObject::LdapObject(std::shared_ptr<LdapSession> session, QString server, Kind kind, QString name)
    : DirObjectBase(std::move(server), kind, std::move(name))
    , m_session(std::move(session))
{
}

DirObjectPtr LdapObject::container(std::shared_ptr<LdapSession> session, const QString &server)
{
    auto *object = new LdapObject(std::move(session), server, Kind::Container, server);
    object->m_stored = true;
    return DirObjectPtr(object);
}

DirObjectPtr LdapObject::found(
    std::shared_ptr<LdapSession> session, const QString &server, const LdapSession::Account &account)
{
    const Kind kind = kindOf(account.className);
    auto *object = new LdapObject(std::move(session), server, kind, account.name);
    object->m_dn = account.dn;
    object->m_guid = account.guid;
    object->m_stored = true;
    return DirObjectPtr(object);
}

QString LdapObject::target() const
{
    return m_guid.isEmpty() ? m_dn : LdapNames::guidDn(m_guid);
}

QString LdapObject::gone() const
{
    return QStringLiteral("« %1 » n'existe plus dans l'annuaire.").arg(m_name);
}

Result<LdapEntry> LdapObject::read(const QStringList &attributes)
{
    QList<LdapEntry> entries;
    const LdapReply reply = m_session->connection().search(
        target(), LdapConnection::Scope::Base, QStringLiteral("(objectClass=*)"), attributes, &entries);
    if (reply.code == LDAP_NO_SUCH_OBJECT || (reply.ok() && entries.isEmpty()))
        return Result<LdapEntry>::failure(gone());
    if (!reply.ok())
        return Result<LdapEntry>::failure(
            m_session->failure(reply, QStringLiteral("La lecture de « %1 »").arg(m_name)));
    m_seen = std::chrono::steady_clock::now();
    return entries.first();
}

Status LdapObject::enumerate(const QList<DirListed> &filter, const DirVisitor &visit)
{
    if (Status s = needContainer(); !s)
        return s;
    const QString ldapFilter = filterFor(listing(filter));
    // Everything is read before the first visit: the visitor may well call the directory again.
    QList<LdapEntry> entries;
    const LdapReply reply = m_session->connection().search(m_session->config().base, LdapConnection::Scope::Subtree,
        ldapFilter, listedAttributes, &entries, m_session->limits().pageSize);
    if (!reply.ok())
        return Status::failure(m_session->failure(reply, QStringLiteral("La lecture de l'annuaire")));
    QList<DirEntry> found;
    for (const LdapEntry &entry : std::as_const(entries)) {
        if (auto account = listed(entry))
            found.append(*account);
    }
    for (const DirEntry &entry : std::as_const(found))
        visit(entry);
    return {};
}

std::optional<DirEntry> LdapObject::listed(const LdapEntry &entry)
{
    const QString className = LdapSession::classOf(entry);
    const QString name = entry.text(QStringLiteral("sAMAccountName"));
    if (className.isEmpty() || name.isEmpty())
        return std::nullopt;
    // Listed objects are usually bound next: no need to look them up again.
    m_session->remember(LdapSession::Account {entry.dn, entry.first(QStringLiteral("objectGUID")), name, className});
    return DirEntry {name, kindOf(className), DirNames::objectPath(m_server, name)};
}

Result<DirObjectPtr> LdapObject::create(DirKind kind, const QString &name)
{
    if (Status s = needContainer(); !s)
        return s;
    if (Status s = canCreate(kind, name); !s)
        return s;
    if (name.size() > maxCommonName)
        return Result<DirObjectPtr>::failure(
            QStringLiteral("Le nom « %1 » dépasse %2 caractères, la limite du domaine.").arg(name).arg(maxCommonName));
    // Whether the name is free is the server's to say, at setInfo(): asking first would only race.
    return DirObjectPtr(new LdapObject(m_session, m_server, kind, name));
}

Status LdapObject::deleteObject(DirKind kind, const QString &name)
{
    if (Status s = needContainer(); !s)
        return s;
    const auto canonical = classToDelete(kind);
    if (!canonical)
        return canonical.status();
    auto account = m_session->require(name, *canonical);
    if (!account)
        return account.status();
    const LdapReply reply = m_session->connection().remove(account->dn);
    if (reply.code == LDAP_NO_SUCH_OBJECT)
        return Status::failure(QStringLiteral("« %1 » est introuvable dans l'annuaire.").arg(name));
    if (reply.code == LDAP_NOT_ALLOWED_ON_NONLEAF)
        return Status::failure(
            QStringLiteral("« %1 » contient d'autres objets de l'annuaire et n'est pas supprimé (%2).")
                .arg(name, reply.diagnostic));
    if (!reply.ok())
        return Status::failure(m_session->failure(reply, QStringLiteral("La suppression de « %1 »").arg(name)));
    m_session->forget(name);
    return {};
}

Result<QVariant> LdapObject::storedValue(DirProperty property)
{
    switch (property) {
    case Property::GroupType: {
        auto entry = read({QStringLiteral("groupType")});
        if (!entry)
            return entry.status();
        // The scope only: 2 global, 4 domain local, 8 universal.
        return QVariant(static_cast<int>(entry->text(QStringLiteral("groupType")).toLongLong() & 0xe));
    }
    case Property::IsAccountLocked: {
        // lockoutTime stays set after the lockout has run out; the computed flag says whether it holds now.
        auto entry = read({QStringLiteral("msDS-User-Account-Control-Computed")});
        if (!entry)
            return entry.status();
        return QVariant(
            (entry->text(QStringLiteral("msDS-User-Account-Control-Computed")).toLongLong() & lockedOut) != 0);
    }
    case Property::LastLogin: {
        // lastLogon is this server's own; lastLogonTimestamp is shared by every server but lags.
        auto entry = read({QStringLiteral("lastLogon"), QStringLiteral("lastLogonTimestamp")});
        if (!entry)
            return entry.status();
        const qint64 latest = std::max(entry->text(QStringLiteral("lastLogon")).toLongLong(),
            entry->text(QStringLiteral("lastLogonTimestamp")).toLongLong());
        return QVariant(LdapNames::fromFileTime(latest));
    }
    default: {
        const QString attribute = attributeOf(property);
        auto entry = read({attribute});
        if (!entry)
            return entry.status();
        return QVariant(entry->text(attribute));
    }
    }
}

Status LdapObject::setPassword(const QString &password)
{
    if (Status s = needUser(); !s)
        return s;
    m_password = password;
    return {};
}

Status LdapObject::passwordAllowed() const
{
    // The server takes a password only over an encrypted connection; Windows servers insist on it.
    if (!m_session->connection().isEncrypted())
        return Status::failure(
            QStringLiteral("Le mot de passe de « %1 » n'est pas envoyé : la connexion à l'annuaire n'est pas chiffrée.")
                .arg(m_name));
    return {};
}

Status LdapObject::setInfo()
{
    if (m_kind == Kind::Container)
        return {};
    const Status stored = m_stored ? storeChanges() : storeNew();
    if (stored) {
        m_pending.clear();
        m_password.reset();
    }
    // On failure the pending changes stay, for another try.
    return stored;
}

Result<LdapWrite> LdapObject::newEntry()
{
    const QString dn = QStringLiteral("CN=%1,%2").arg(LdapNames::dnValue(m_name), m_session->newObjectsContainer());
    QList<LdapMod> attributes;
    const auto set = [&](const QString &attribute, const QByteArray &value) {
        attributes.append(LdapMod {LdapMod::Add, attribute, {value}});
    };
    set(QStringLiteral("sAMAccountName"), m_name.toUtf8());
    if (m_kind == Kind::User) {
        set(QStringLiteral("objectClass"), "user");
        set(QStringLiteral("userPrincipalName"), (m_name + u'@' + m_session->config().realm.toLower()).toUtf8());
        if (m_password) {
            if (LdapReply opened = m_session->connection().open(); !opened.ok())
                return Status::failure(m_session->failure(opened, QStringLiteral("La création de « %1 »").arg(m_name)));
            if (Status s = passwordAllowed(); !s)
                return s;
            set(QStringLiteral("unicodePwd"), LdapNames::unicodePassword(*m_password));
            set(QStringLiteral("userAccountControl"), QByteArray::number(normalAccount));
        } else {
            // No password yet: the account stays disabled until it gets one.
            set(QStringLiteral("userAccountControl"), QByteArray::number(normalAccount | accountDisabled));
        }
    } else {
        set(QStringLiteral("objectClass"), "group");
        set(QStringLiteral("groupType"), groupTypeValue(m_pending.value(Property::GroupType, globalGroupType).toInt()));
    }
    for (auto it = m_pending.cbegin(); it != m_pending.cend(); ++it) {
        const QString attribute = attributeOf(it.key());
        // A new object simply has no value where an empty text was put.
        if (!attribute.isEmpty() && !it.value().toString().isEmpty())
            set(attribute, it.value().toString().toUtf8());
    }
    return LdapWrite {LdapWrite::Add, dn, attributes};
}

Status LdapObject::newEntryStored(const LdapWrite &entry, const LdapReply &reply)
{
    if (reply.code == LDAP_ALREADY_EXISTS)
        return Status::failure(
            QStringLiteral("Le nom « %1 » est déjà utilisé dans l'annuaire (%2).").arg(m_name, reply.diagnostic));
    if (refusedByPolicy(reply))
        return Status::failure(QStringLiteral("Le mot de passe de « %1 » est refusé par la stratégie du domaine (%2).")
                                   .arg(m_name, reply.diagnostic));
    if (!reply.ok())
        return Status::failure(m_session->failure(reply, QStringLiteral("La création de « %1 »").arg(m_name)));
    m_dn = entry.dn;
    m_stored = true;
    m_pending.clear();
    m_password.reset();
    m_session->remember(LdapSession::Account {m_dn, QByteArray(), m_name, className()});
    m_seen = std::chrono::steady_clock::now();
    return {};
}

Status LdapObject::storeNew()
{
    const auto entry = newEntry();
    if (!entry)
        return entry.status();
    return newEntryStored(*entry, m_session->connection().add(entry->dn, entry->mods));
}

Result<LdapWrite> LdapObject::firstPassword(const QString &password)
{
    if (Status s = needUser(); !s)
        return s;
    if (LdapReply opened = m_session->connection().open(); !opened.ok())
        return Status::failure(m_session->failure(opened, QStringLiteral("La mise à jour de « %1 »").arg(m_name)));
    if (Status s = passwordAllowed(); !s)
        return s;
    // Made disabled and without a password, a normal account; enabled with it.
    return LdapWrite {LdapWrite::Modify, target(),
        {LdapMod {LdapMod::Replace, QStringLiteral("unicodePwd"), {LdapNames::unicodePassword(password)}},
            LdapMod {LdapMod::Replace, QStringLiteral("userAccountControl"), {QByteArray::number(normalAccount)}}}};
}

Status LdapObject::changesStored(const LdapReply &reply)
{
    if (reply.code == LDAP_NO_SUCH_OBJECT)
        return Status::failure(gone());
    if (refusedByPolicy(reply))
        return Status::failure(QStringLiteral("Le mot de passe de « %1 » est refusé par la stratégie du domaine (%2).")
                                   .arg(m_name, reply.diagnostic));
    if (!reply.ok())
        return Status::failure(m_session->failure(reply, QStringLiteral("La mise à jour de « %1 »").arg(m_name)));
    m_seen = std::chrono::steady_clock::now();
    return {};
}

Status LdapObject::storeChanges()
{
    QList<LdapMod> changes;
    for (auto it = m_pending.cbegin(); it != m_pending.cend(); ++it) {
        const QString attribute = attributeOf(it.key());
        if (!attribute.isEmpty()) {
            const QString text = it.value().toString();
            changes.append(
                LdapMod {LdapMod::Replace, attribute, text.isEmpty() ? QList<QByteArray>() : QList {text.toUtf8()}});
        } else if (it.key() == Property::GroupType) {
            changes.append(
                LdapMod {LdapMod::Replace, QStringLiteral("groupType"), {groupTypeValue(it.value().toInt())}});
        } else if (it.key() == Property::IsAccountLocked) {
            changes.append(LdapMod {LdapMod::Replace, QStringLiteral("lockoutTime"), {"0"}});
        }
    }
    if (m_password) {
        auto entry = read({QStringLiteral("userAccountControl")});
        if (!entry)
            return entry.status();
        if (Status s = passwordAllowed(); !s)
            return s;
        // With its password the account may be used: it is enabled, its other flags kept.
        const qint64 control = entry->text(QStringLiteral("userAccountControl")).toLongLong();
        const qint64 enabled = (control & ~(accountDisabled | passwordNotRequired)) | normalAccount;
        changes.append(
            LdapMod {LdapMod::Replace, QStringLiteral("unicodePwd"), {LdapNames::unicodePassword(*m_password)}});
        if (enabled != control)
            changes.append(
                LdapMod {LdapMod::Replace, QStringLiteral("userAccountControl"), {QByteArray::number(enabled)}});
    }
    if (changes.isEmpty()) {
        // Nothing to write (a group's setInfo() after add()); still say so if the object is gone,
        // unless the server has just shown it to be there.
        if (std::chrono::steady_clock::now() - m_seen < std::chrono::milliseconds(m_session->limits().trustMs))
            return {};
        auto entry = read({QStringLiteral("1.1")});
        return entry ? Status() : entry.status();
    }
    return changesStored(m_session->connection().modify(target(), changes));
}

Status LdapObject::members(const DirVisitor &visit)
{
    if (Status s = needStoredGroup(); !s)
        return s;

    // A big group's members come in ranges: Windows servers give at most 1,500 values at once.
    QList<QByteArray> memberDns;
    const int range = std::max(1, m_session->limits().memberRange);
    for (qint64 start = 0;;) {
        const QString asked = QStringLiteral("member;range=%1-%2").arg(start).arg(start + range - 1);
        auto entry = read({asked});
        if (!entry)
            return entry.status();
        QString returned;
        for (auto it = entry->attributes.cbegin(); it != entry->attributes.cend(); ++it) {
            if (it.key() == QStringLiteral("member") || it.key().startsWith(QStringLiteral("member;range="))) {
                returned = it.key();
                memberDns.append(it.value());
                break;
            }
        }
        // No value: an empty group, or past the end. "member" alone or an end of "*": the last range.
        if (returned.isEmpty() || !returned.contains(u';') || returned.endsWith(u'*'))
            break;
        const qint64 end = returned.section(u'-', -1).toLongLong();
        if (end < start)
            break;
        start = end + 1;
    }

    // Names and classes, looked up a hundred members at a time.
    QHash<QString, DirEntry> byDn;
    for (qsizetype from = 0; from < memberDns.size(); from += membersPerLookup) {
        QString filter = QStringLiteral("(|");
        for (qsizetype i = from; i < std::min(memberDns.size(), from + membersPerLookup); ++i)
            filter += QStringLiteral("(distinguishedName=%1)")
                          .arg(LdapNames::filterValue(QString::fromUtf8(memberDns[i])));
        filter += u')';
        QList<LdapEntry> entries;
        const LdapReply reply = m_session->connection().search(m_session->config().base, LdapConnection::Scope::Subtree,
            filter, listedAttributes, &entries, m_session->limits().pageSize);
        if (!reply.ok())
            return Status::failure(
                m_session->failure(reply, QStringLiteral("La lecture des membres de « %1 »").arg(m_name)));
        for (const LdapEntry &entry : std::as_const(entries)) {
            if (auto account = listed(entry))
                byDn.insert(entry.dn.toLower(), *account);
        }
    }
    // Members that are neither accounts nor groups (computers, contacts, other domains' principals) are left out.
    for (const QByteArray &dn : std::as_const(memberDns)) {
        const auto found = byDn.constFind(QString::fromUtf8(dn).toLower());
        if (found != byDn.cend())
            visit(*found);
    }
    return {};
}

Result<LdapSession::Account> LdapObject::memberFromPath(const QString &memberAdsPath, const QString &doing)
{
    if (Status s = needStoredGroup(); !s)
        return s;
    auto path = DirNames::parsePath(memberAdsPath);
    if (!path)
        return path.status();
    if (path->isContainer())
        return Result<LdapSession::Account>::failure(QStringLiteral("Le domaine ne peut pas %1.").arg(doing));
    return m_session->require(path->name, path->fixedClass);
}

Status LdapObject::add(const QString &memberAdsPath)
{
    auto member = memberFromPath(memberAdsPath, QStringLiteral("être membre d'un groupe"));
    if (!member)
        return member.status();
    const bool itself = m_guid.isEmpty() ? member->dn.compare(m_dn, Qt::CaseInsensitive) == 0 : member->guid == m_guid;
    if (itself)
        return Status::failure(QStringLiteral("Le groupe « %1 » ne peut pas être membre de lui-même.").arg(m_name));
    return memberAdded(member->name,
        m_session->connection().modify(
            target(), {LdapMod {LdapMod::Add, QStringLiteral("member"), {member->dn.toUtf8()}}}));
}

Status LdapObject::memberAdded(const QString &memberName, const LdapReply &reply)
{
    if (reply.code == LDAP_TYPE_OR_VALUE_EXISTS || reply.code == LDAP_ALREADY_EXISTS)
        return Status::failure(
            QStringLiteral("« %1 » est déjà membre du groupe « %2 » (%3).").arg(memberName, m_name, reply.diagnostic));
    if (reply.code == LDAP_NO_SUCH_OBJECT)
        return Status::failure(gone());
    if (!reply.ok())
        return Status::failure(
            m_session->failure(reply, QStringLiteral("L'ajout de « %1 » au groupe « %2 »").arg(memberName, m_name)));
    m_seen = std::chrono::steady_clock::now();
    return {};
}

Status LdapObject::remove(const QString &memberAdsPath)
{
    auto member = memberFromPath(memberAdsPath, QStringLiteral("être retiré d'un groupe"));
    if (!member)
        return member.status();
    const LdapReply reply = m_session->connection().modify(
        target(), {LdapMod {LdapMod::Delete, QStringLiteral("member"), {member->dn.toUtf8()}}});
    // Samba says the value is missing; Windows servers say they will not do it.
    if (reply.code == LDAP_NO_SUCH_ATTRIBUTE || reply.code == LDAP_UNWILLING_TO_PERFORM)
        return Status::failure(QStringLiteral("« %1 » n'est pas membre du groupe « %2 » (%3).")
                                   .arg(member->name, m_name, reply.diagnostic));
    if (reply.code == LDAP_NO_SUCH_OBJECT)
        return Status::failure(gone());
    if (!reply.ok())
        return Status::failure(m_session->failure(
            reply, QStringLiteral("Le retrait de « %1 » du groupe « %2 »").arg(member->name, m_name)));
    m_seen = std::chrono::steady_clock::now();
    return {};
}
