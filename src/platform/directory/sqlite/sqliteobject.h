#pragma once

#include "directory/directorypath.h"
#include "directory/dirobjectbase.h"
#include "sqlitestore.h"

#include <memory>

// A handle on the container, on a stored account or group, or on one created and not stored yet.
class SqliteObject : public DirObjectBase
{
public:
    static DirObjectPtr container(std::shared_ptr<SqliteStore> store, const QString &server);
    static DirObjectPtr stored(std::shared_ptr<SqliteStore> store, const QString &server, const StoredObject &object);

    Status enumerate(const QList<DirListed> &filter, const DirVisitor &visit) override;
    Result<DirObjectPtr> create(DirKind kind, const QString &name) override;
    Status deleteObject(DirKind kind, const QString &name) override;

    Status setPassword(const QString &password) override;
    Status setInfo() override;

    Status members(const DirVisitor &visit) override;
    Status add(const QString &memberAdsPath) override;
    Status remove(const QString &memberAdsPath) override;

protected:
    QHash<DirProperty, QVariant> &pendingValues() override { return m_pending.values; }
    bool isStored() const override { return m_id != 0; }
    Result<QVariant> storedValue(DirProperty property) override;

private:
    SqliteObject(std::shared_ptr<SqliteStore> store, QString server, Kind kind, qint64 id, QString name);
    Status needGroup() const { return needStoredGroup(m_id != 0); }
    // The member a path names, for this group; containerRefused when it names the domain.
    Result<DirPath> memberPath(const QString &memberAdsPath, const QString &containerRefused) const;

    std::shared_ptr<SqliteStore> m_store;
    qint64 m_id; // 0 while the object waits for its first setInfo()
    PendingChanges m_pending;
};
