#pragma once

#include "text/result.h"

#include <QString>

#include <optional>

// The properties of directory objects as the program names them, and which kind of object carries
// which: the same rules whatever backend keeps the objects.
enum class DirProperty {
    Name,
    Class,
    ADsPath,
    FullName,
    Description,
    HomeDirectory,
    LoginScript,
    GroupType,
    IsAccountLocked,
    LastLogin,
};

enum class DirKind { Container, User, Group };

// What a container lists: accounts, groups of either type, or global groups only.
enum class DirListed { User, Group, GlobalGroup };

// The group types the domain numbers: a global group takes accounts of the domain only, a domain
// local group anyone's and can only be used in the domain.
constexpr int globalGroupType = 2;
constexpr int domainLocalGroupType = 4;

// "Domain", "User" or "Group": the value of an object's Class property.
inline QString classNameOf(DirKind kind)
{
    switch (kind) {
    case DirKind::Container:
        return QStringLiteral("Domain");
    case DirKind::User:
        return QStringLiteral("User");
    case DirKind::Group:
        return QStringLiteral("Group");
    }
    return {};
}

// The kind of an account or group named by its class, in any case; nothing for any other class.
inline std::optional<DirKind> kindNamed(const QString &className)
{
    if (className.compare(QStringLiteral("User"), Qt::CaseInsensitive) == 0)
        return DirKind::User;
    if (className.compare(QStringLiteral("Group"), Qt::CaseInsensitive) == 0)
        return DirKind::Group;
    return std::nullopt;
}

// The name under which a property is shown.
inline QString propertyName(DirProperty property)
{
    switch (property) {
    case DirProperty::Name:
        return QStringLiteral("Name");
    case DirProperty::Class:
        return QStringLiteral("Class");
    case DirProperty::ADsPath:
        return QStringLiteral("ADsPath");
    case DirProperty::FullName:
        return QStringLiteral("FullName");
    case DirProperty::Description:
        return QStringLiteral("Description");
    case DirProperty::HomeDirectory:
        return QStringLiteral("HomeDirectory");
    case DirProperty::LoginScript:
        return QStringLiteral("LoginScript");
    case DirProperty::GroupType:
        return QStringLiteral("groupType");
    case DirProperty::IsAccountLocked:
        return QStringLiteral("IsAccountLocked");
    case DirProperty::LastLogin:
        return QStringLiteral("LastLogin");
    }
    return {};
}

// Every object has a name, a class and a path; a description belongs to accounts and groups; the
// group type to groups; the rest to accounts.
inline Status propertyApplies(DirKind kind, DirProperty property, const QString &objectName)
{
    bool ok = false;
    switch (property) {
    case DirProperty::Name:
    case DirProperty::Class:
    case DirProperty::ADsPath:
        ok = true;
        break;
    case DirProperty::Description:
        ok = kind != DirKind::Container;
        break;
    case DirProperty::GroupType:
        ok = kind == DirKind::Group;
        break;
    default:
        ok = kind == DirKind::User;
        break;
    }
    if (ok)
        return {};
    return Status::failure(
        QStringLiteral("La propriété « %1 » ne s'applique pas à « %2 ».").arg(propertyName(property), objectName));
}
