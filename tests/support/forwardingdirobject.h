#pragma once

#include "directory/directory.h"

// Passes every call on to the object it wraps; a test derives from it to make chosen calls fail.
class ForwardingDirObject : public DirObject
{
public:
    explicit ForwardingDirObject(DirObjectPtr inner)
        : m_inner(std::move(inner))
    {
    }

    QString name() const override { return m_inner->name(); }
    DirKind kind() const override { return m_inner->kind(); }
    QString className() const override { return m_inner->className(); }
    QString adsPath() const override { return m_inner->adsPath(); }
    Status enumerate(const QList<DirListed> &filter, const DirVisitor &visit) override
    {
        return m_inner->enumerate(filter, visit);
    }
    Result<DirObjectPtr> create(DirKind kind, const QString &name) override { return m_inner->create(kind, name); }
    Status deleteObject(DirKind kind, const QString &name) override { return m_inner->deleteObject(kind, name); }
    Result<QVariant> get(DirProperty property) override { return m_inner->get(property); }
    Status put(DirProperty property, const QVariant &value) override { return m_inner->put(property, value); }
    Status setPassword(const QString &password) override { return m_inner->setPassword(password); }
    Status setInfo() override { return m_inner->setInfo(); }
    Status members(const DirVisitor &visit) override { return m_inner->members(visit); }
    Status add(const QString &memberAdsPath) override { return m_inner->add(memberAdsPath); }
    Status remove(const QString &memberAdsPath) override { return m_inner->remove(memberAdsPath); }

protected:
    DirObjectPtr m_inner;
};
