#pragma once

#include "text/result.h"

#include <QHash>
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

// Property names are matched without regard to case, as the domain's own interface does.
inline std::optional<DirProperty> propertyNamed(const QString &name)
{
    static const QHash<QString, DirProperty> names = {
        {QStringLiteral("name"), DirProperty::Name},
        {QStringLiteral("class"), DirProperty::Class},
        {QStringLiteral("adspath"), DirProperty::ADsPath},
        {QStringLiteral("fullname"), DirProperty::FullName},
        {QStringLiteral("description"), DirProperty::Description},
        {QStringLiteral("homedirectory"), DirProperty::HomeDirectory},
        {QStringLiteral("loginscript"), DirProperty::LoginScript},
        {QStringLiteral("grouptype"), DirProperty::GroupType},
        {QStringLiteral("isaccountlocked"), DirProperty::IsAccountLocked},
        {QStringLiteral("lastlogin"), DirProperty::LastLogin},
    };
    const auto found = names.constFind(name.toLower());
    if (found == names.cend())
        return std::nullopt;
    return *found;
}

// Every object has a name, a class and a path; a description belongs to accounts and groups; the
// group type to groups; the rest to accounts. asked is the property as the caller wrote it.
inline Status propertyApplies(DirKind kind, DirProperty property, const QString &asked, const QString &objectName)
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
    return Status::failure(QStringLiteral("La propriété « %1 » ne s'applique pas à « %2 ».").arg(asked, objectName));
}
