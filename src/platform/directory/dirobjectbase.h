#pragma once

#include "directory.h"
#include "dirproperties.h"

#include <QHash>
#include <QList>

#include <optional>

// What a handle of either backend answers from itself, before its store is asked: its name, class and
// path, and the rules that calls and property values follow whatever backend keeps the objects.
class DirObjectBase : public DirObject
{
public:
    using Kind = DirKind;

    QString name() const override { return m_name; }
    DirKind kind() const override { return m_kind; }
    QString className() const override { return classNameOf(m_kind); }
    QString adsPath() const override;

    // The handle's own name, class and path first, then a value put and not stored yet, then what a new
    // object answers; only a stored object's other properties are asked of the backend.
    Result<QVariant> get(DirProperty property) final;
    // Keeps the value until setInfo(), once the property and the value follow the domain's rules.
    Status put(DirProperty property, const QVariant &value) final;

protected:
    // What a listing asks for, each once, in the order asked: no filter asks for accounts and groups.
    static QList<DirListed> listing(const QList<DirListed> &filter);

    // The values put since the last setInfo() that stored them.
    virtual QHash<DirProperty, QVariant> &pendingValues() = 0;
    // False while a created object waits for its first setInfo().
    virtual bool isStored() const = 0;
    // A property of a stored object as the backend keeps it.
    virtual Result<QVariant> storedValue(DirProperty property) = 0;

    DirObjectBase(QString server, Kind kind, QString name);

    Status needContainer() const;
    // A group that has been stored, so that it can have members.
    Status needStoredGroup(bool stored) const;
    Status needUser() const;

    // The kind of a stored account or group of that class ("User" or "Group").
    static Kind kindOf(const QString &className)
    {
        return className == QStringLiteral("Group") ? Kind::Group : Kind::User;
    }
    // Whether an account or group of that name can be made: the container cannot.
    static Status canCreate(Kind kind, const QString &name);
    // "User" or "Group": the class of the account or group to delete; the container cannot be.
    static Result<QString> classToDelete(Kind kind);

    // Whether this kind of object carries the property.
    Status carries(DirProperty property) const { return propertyApplies(m_kind, property, m_name); }
    // Name, class and path, which the handle knows itself.
    std::optional<QVariant> ownValue(DirProperty property) const;
    // The value put() keeps for a property: read-only ones, group types and locking are refused as the
    // domain refuses them, and the rest are texts.
    static Result<QVariant> valueToPut(DirProperty property, const QVariant &value);
    // What a new object answers before anything was put on it.
    static QVariant defaultValue(DirProperty property);

    const QString m_server;
    const Kind m_kind;
    const QString m_name;
};
