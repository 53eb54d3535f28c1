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
        return m_inner->deleteObject(className, name);
    }
    Result<QVariant> get(const QString &property) override { return m_inner->get(property); }
    Status put(const QString &property, const QVariant &value) override { return m_inner->put(property, value); }
    Status setPassword(const QString &password) override { return m_inner->setPassword(password); }
    Status setInfo() override { return m_inner->setInfo(); }
    Status members(const DirVisitor &visit) override { return m_inner->members(visit); }
    Status add(const QString &memberAdsPath) override { return m_inner->add(memberAdsPath); }
    Status remove(const QString &memberAdsPath) override { return m_inner->remove(memberAdsPath); }

protected:
    DirObjectPtr m_inner;
};
