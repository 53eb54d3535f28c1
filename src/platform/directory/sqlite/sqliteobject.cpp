#include "sqliteobject.h"

#include "directory/directorypath.h"
#include "passwordhash.h"

namespace {

QVariant valueOf(const StoredObject &object, DirProperty property)
{
    switch (property) {
    case DirProperty::FullName:
        return object.fullName;
    case DirProperty::Description:
        return object.description;
    case DirProperty::HomeDirectory:
        return object.homeDirectory;
    case DirProperty::LoginScript:
        return object.loginScript;
    case DirProperty::GroupType:
        return object.groupType;
    case DirProperty::IsAccountLocked:
        return object.locked;
    case DirProperty::LastLogin:
        return object.lastLogin;
    default:
        return {};
    }
}

bool matchesFilter(const StoredEntry &entry, DirKind kind, const QList<DirListed> &filter)
{
    for (const DirListed wanted : filter) {
        switch (wanted) {
        case DirListed::User:
            if (kind == DirKind::User)
                return true;
            break;
        case DirListed::Group:
            if (kind == DirKind::Group)
                return true;
            break;
        case DirListed::GlobalGroup:
            if (kind == DirKind::Group && entry.groupType == globalGroupType)
                return true;
            break;
        }
    }
    return false;
}

} // namespace

SqliteObject::SqliteObject(std::shared_ptr<SqliteStore> store, QString server, Kind kind, qint64 id, QString name)
    : DirObjectBase(std::move(server), kind, std::move(name))
    , m_store(std::move(store))
    , m_id(id)
{
}

DirObjectPtr SqliteObject::container(std::shared_ptr<SqliteStore> store, const QString &server)
{
    return DirObjectPtr(new SqliteObject(std::move(store), server, Kind::Container, 0, server));
}

DirObjectPtr SqliteObject::stored(std::shared_ptr<SqliteStore> store, const QString &server, const StoredObject &object)
{
    const Kind kind = kindOf(object.className);
    return DirObjectPtr(new SqliteObject(std::move(store), server, kind, object.id, object.name));
}

Status SqliteObject::enumerate(const QList<DirListed> &filter, const DirVisitor &visit)
{
    if (Status s = needContainer(); !s)
        return s;
    // Read everything first: the visitor may well call the directory again.
    auto entries = m_store->list();
    if (!entries)
        return entries.status();
    const QList<DirListed> wanted = listing(filter);
    for (const StoredEntry &entry : std::as_const(*entries)) {
        const DirKind kind = kindOf(entry.className);
        if (matchesFilter(entry, kind, wanted))
            visit(DirEntry {entry.name, kind, DirNames::objectPath(m_server, entry.name)});
    }
    return {};
}

Result<DirObjectPtr> SqliteObject::create(DirKind kind, const QString &name)
{
    if (Status s = needContainer(); !s)
        return s;
    if (Status s = canCreate(kind, name); !s)
        return s;
    auto existing = m_store->findByName(name);
    if (!existing)
        return existing.status();
    if (existing->has_value())
        return Result<DirObjectPtr>::failure(
            QStringLiteral("Le nom « %1 » est déjà utilisé dans l'annuaire.").arg(name));
    return DirObjectPtr(new SqliteObject(m_store, m_server, kind, 0, name));
}

Status SqliteObject::deleteObject(DirKind kind, const QString &name)
{
    if (Status s = needContainer(); !s)
        return s;
    const auto canonical = classToDelete(kind);
    if (!canonical)
        return canonical.status();
    return m_store->remove(*canonical, name);
}

Result<QVariant> SqliteObject::storedValue(DirProperty property)
{
    auto object = m_store->findById(m_id);
    if (!object)
        return object.status();
    if (!object->has_value())
        return Result<QVariant>::failure(QStringLiteral("« %1 » n'existe plus dans l'annuaire.").arg(m_name));
    return valueOf(**object, property);
}

Status SqliteObject::setPassword(const QString &password)
{
    if (Status s = needUser(); !s)
        return s;
    const QByteArray hash = PasswordHash::make(password, m_store->passwordIterations());
    if (hash.isEmpty())
        return Status::failure(QStringLiteral("Le mot de passe n'a pas pu être chiffré."));
    m_pending.passwordHash = hash;
    return {};
}

Status SqliteObject::setInfo()
{
    if (m_kind == Kind::Container)
        return {};
    if (m_id == 0) {
        auto id = m_store->insert(className(), m_name, m_pending);
        if (!id)
            return id.status(); // the pending changes stay, for another try
        m_id = *id;
    } else if (m_pending.isEmpty()) {
        // Nothing to write (a group's setInfo() after add()); still say so if the object is gone.
        auto object = m_store->findById(m_id);
        if (!object)
            return object.status();
        if (!object->has_value())
            return Status::failure(QStringLiteral("« %1 » n'existe plus dans l'annuaire.").arg(m_name));
    } else if (Status s = m_store->update(m_id, m_name, m_pending); !s) {
        return s;
    }
    m_pending.clear();
    return {};
}

Status SqliteObject::members(const DirVisitor &visit)
{
    if (Status s = needGroup(); !s)
        return s;
    auto group = m_store->findById(m_id);
    if (!group)
        return group.status();
    if (!group->has_value())
        return Status::failure(QStringLiteral("Le groupe « %1 » n'existe plus dans l'annuaire.").arg(m_name));
    auto entries = m_store->membersOf(m_id);
    if (!entries)
        return entries.status();
    for (const StoredEntry &entry : std::as_const(*entries))
        visit(DirEntry {entry.name, kindOf(entry.className), DirNames::objectPath(m_server, entry.name)});
    return {};
}

Result<DirPath> SqliteObject::memberPath(const QString &memberAdsPath, const QString &containerRefused) const
{
    if (Status s = needGroup(); !s)
        return s;
    auto path = DirNames::parsePath(memberAdsPath);
    if (!path)
        return path.status();
    if (path->isContainer())
        return Result<DirPath>::failure(containerRefused);
    return path;
}

Status SqliteObject::add(const QString &memberAdsPath)
{
    auto path = memberPath(memberAdsPath, QStringLiteral("Le domaine ne peut pas être membre d'un groupe."));
    if (!path)
        return path.status();
    return m_store->addMember(m_id, path->name, path->fixedClass);
}

Status SqliteObject::remove(const QString &memberAdsPath)
{
    auto path = memberPath(memberAdsPath, QStringLiteral("Le domaine n'est membre d'aucun groupe."));
    if (!path)
        return path.status();
    return m_store->removeMember(m_id, path->name, path->fixedClass);
}
