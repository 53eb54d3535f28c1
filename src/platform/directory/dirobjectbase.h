#pragma once

#include "directory.h"
#include "dirproperties.h"

#include <optional>

// What a handle of either backend answers from itself, before its store is asked: its name, class and
// path, and the rules that calls and property values follow whatever backend keeps the objects.
class DirObjectBase : public DirObject
{
public:
    using Kind = DirKind;

    QString name() const override { return m_name; }
    QString className() const override;
    QString adsPath() const override;

protected:
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
    // The kind an object of that class is made as, once its name follows the domain's rules.
    static Result<Kind> kindToCreate(const QString &className, const QString &name);
    // "User" or "Group" for a class given in any case; an unknown class is refused.
    static Result<QString> knownClass(const QString &className);

    // The property asked for, when it exists and this kind of object carries it.
    Result<DirProperty> property(const QString &asked) const;
    // Name, class and path, which the handle knows itself.
    std::optional<QVariant> ownValue(DirProperty property) const;
    // The value put() keeps for a property: read-only ones, group types and locking are refused as the
    // domain refuses them, and the rest are texts.
    static Result<QVariant> valueToPut(DirProperty property, const QVariant &value, const QString &asked);
    // What a new object answers before anything was put on it.
    static QVariant defaultValue(DirProperty property);

    const QString m_server;
    const Kind m_kind;
    const QString m_name;
};
