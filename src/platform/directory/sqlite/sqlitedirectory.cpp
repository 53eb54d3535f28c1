#include "sqlitedirectory.h"

#include "directory/directorypath.h"
#include "passwordhash.h"
#include "sqliteobject.h"
#include "sqlitestore.h"

SqliteDirectory::SqliteDirectory(std::shared_ptr<SqliteStore> store)
    : m_store(std::move(store))
{
}

SqliteDirectory::~SqliteDirectory() = default;

Result<std::unique_ptr<SqliteDirectory>> SqliteDirectory::open(const QString &hostFile, const Options &options)
{
    auto store = SqliteStore::open(hostFile, options.syncEveryCommit, options.passwordIterations);
    if (!store)
        return Result<std::unique_ptr<SqliteDirectory>>::failure(
            QStringLiteral("L'annuaire « %1 » ne peut pas être ouvert. %2").arg(hostFile, store.message()));
    return std::unique_ptr<SqliteDirectory>(new SqliteDirectory(std::move(*store)));
}

Result<DirObjectPtr> SqliteDirectory::bind(const QString &adsPath)
{
    auto path = DirNames::parsePath(adsPath);
    if (!path)
        return path.status();
    if (path->isContainer())
        return SqliteObject::container(m_store, path->server);
    auto found = m_store->findByName(path->name);
    if (!found)
        return found.status();
    const std::optional<StoredObject> &object = *found;
    if (!object)
        return Result<DirObjectPtr>::failure(QStringLiteral("« %1 » est introuvable dans l'annuaire.").arg(path->name));
    if (!path->fixedClass.isEmpty() && object->className != path->fixedClass) {
        return Result<DirObjectPtr>::failure(path->fixedClass == QStringLiteral("User")
                ? QStringLiteral("« %1 » n'est pas un utilisateur.").arg(object->name)
                : QStringLiteral("« %1 » n'est pas un groupe.").arg(object->name));
    }
    return SqliteObject::stored(m_store, path->server, *object);
}

Status SqliteDirectory::setAccountLocked(const QString &userName, bool locked)
{
    return m_store->setLocked(userName, locked);
}

Status SqliteDirectory::setLastLogin(const QString &userName, const QDateTime &when)
{
    return m_store->setLastLogin(userName, when);
}

Result<bool> SqliteDirectory::checkPassword(const QString &userName, const QString &password)
{
    auto stored = m_store->passwordOf(userName);
    if (!stored)
        return stored.status();
    if (stored->isEmpty())
        return password.isEmpty();
    return PasswordHash::matches(password, *stored);
}
