#include "enrolfixture.h"

#include "directory/sqlite/sqlitedirectory.h"
#include "support/forwardingdirobject.h"

namespace {

// Refuses deletion when asked to.
class RefusingObject : public ForwardingDirObject
{
public:
    RefusingObject(DirObjectPtr inner, bool refuseDeletes)
        : ForwardingDirObject(std::move(inner))
        , m_refuseDeletes(refuseDeletes)
    {
    }

    Status deleteObject(DirKind kind, const QString &name) override
    {
        if (m_refuseDeletes)
            return Status::failure(QStringLiteral("Accès refusé."));
        return m_inner->deleteObject(kind, name);
    }

private:
    bool m_refuseDeletes;
};

} // namespace

Result<DirObjectPtr> RefusingDirectory::bind(const QString &adsPath)
{
    if (refusedPaths.contains(adsPath))
        return Status::failure(QStringLiteral("Le serveur ne répond pas."));
    auto bound = m_inner.bind(adsPath);
    if (!bound)
        return bound;
    return DirObjectPtr(std::make_unique<RefusingObject>(std::move(*bound), refuseDeletes));
}

bool EnrolFixture::createGroup(const QString &name)
{
    auto container = store->bind(QStringLiteral("WinNT://") + server);
    if (!container)
        return false;
    auto group = (*container)->create(DirKind::Group, name);
    if (!group)
        return false;
    if (!(*group)->put(DirProperty::GroupType, globalGroupType))
        return false;
    return bool((*group)->setInfo());
}

bool EnrolFixture::createUser(const QString &name, const QString &password)
{
    auto container = store->bind(QStringLiteral("WinNT://") + server);
    if (!container)
        return false;
    auto user = (*container)->create(DirKind::User, name);
    if (!user)
        return false;
    if (!password.isEmpty() && !(*user)->setPassword(password))
        return false;
    return bool((*user)->setInfo());
}

QVariant EnrolFixture::property(const QString &account, DirProperty property)
{
    return FixtureHelpers::property(*store, QStringLiteral("WinNT://") + server + u'/' + account, property);
}

bool EnrolFixture::exists(const QString &account)
{
    return FixtureHelpers::exists(*store, QStringLiteral("WinNT://") + server + u'/' + account);
}

QStringList EnrolFixture::membersOf(const QString &group)
{
    return FixtureHelpers::memberNames(
        *store, QStringLiteral("WinNT://") + server + u'/' + group + QStringLiteral(",group"));
}

bool EnrolFixture::passwordIs(const QString &account, const QString &password)
{
    if (checkPassword)
        return checkPassword(account, password);
    auto *sqlite = dynamic_cast<SqliteDirectory *>(store.get());
    if (!sqlite)
        return false;
    auto matches = sqlite->checkPassword(account, password);
    return matches && *matches;
}
