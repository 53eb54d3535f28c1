#include "enrolfixture.h"

#include "directory/sqlitedirectory.h"

namespace {

// Passes every call on, except deletion when refused.
class RefusingObject : public DirObject
{
public:
    RefusingObject(DirObjectPtr inner, bool refuseDeletes)
        : m_inner(std::move(inner))
        , m_refuseDeletes(refuseDeletes)
    {
    }

    QString name() const override { return m_inner->name(); }
    QString className() const override { return m_inner->className(); }
    QString adsPath() const override { return m_inner->adsPath(); }
    Status enumerate(const QStringList &filter, const DirVisitor &visit) override
    {
        return m_inner->enumerate(filter, visit);
    }
    Result<DirObjectPtr> create(const QString &className, const QString &name) override
    {
        return m_inner->create(className, name);
    }
    Status deleteObject(const QString &className, const QString &name) override
    {
        if (m_refuseDeletes)
            return Status::failure(QStringLiteral("Accès refusé."));
        return m_inner->deleteObject(className, name);
    }
    Result<QVariant> get(const QString &property) override { return m_inner->get(property); }
    Status put(const QString &property, const QVariant &value) override { return m_inner->put(property, value); }
    Status setPassword(const QString &password) override { return m_inner->setPassword(password); }
    Status setInfo() override { return m_inner->setInfo(); }
    Status members(const DirVisitor &visit) override { return m_inner->members(visit); }
    Status add(const QString &memberAdsPath) override { return m_inner->add(memberAdsPath); }
    Status remove(const QString &memberAdsPath) override { return m_inner->remove(memberAdsPath); }

private:
    DirObjectPtr m_inner;
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
    auto group = (*container)->create(QStringLiteral("Group"), name);
    if (!group)
        return false;
    (*group)->put(QStringLiteral("groupType"), 2);
    return bool((*group)->setInfo());
}

bool EnrolFixture::createUser(const QString &name, const QString &password)
{
    auto container = store->bind(QStringLiteral("WinNT://") + server);
    if (!container)
        return false;
    auto user = (*container)->create(QStringLiteral("User"), name);
    if (!user)
        return false;
    if (!password.isEmpty() && !(*user)->setPassword(password))
        return false;
    return bool((*user)->setInfo());
}

QVariant EnrolFixture::property(const QString &account, const QString &property)
{
    auto object = store->bind(QStringLiteral("WinNT://") + server + u'/' + account);
    if (!object)
        return {};
    auto value = (*object)->get(property);
    return value ? *value : QVariant();
}

bool EnrolFixture::exists(const QString &account)
{
    return bool(store->bind(QStringLiteral("WinNT://") + server + u'/' + account));
}

QStringList EnrolFixture::membersOf(const QString &group)
{
    QStringList names;
    auto object = store->bind(QStringLiteral("WinNT://") + server + u'/' + group + QStringLiteral(",group"));
    if (object)
        (*object)->members([&names](const DirEntry &member) { names << member.name; });
    return names;
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
