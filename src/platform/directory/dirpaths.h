#pragma once

#include "dirproperties.h"

#include <QString>

// The directory paths the actions build from the server (or domain) name.
namespace DirPaths {

// "WinNT://" + name: the container of every account and group.
inline QString container(const QString &serverOrDomain)
{
    return QStringLiteral("WinNT://") + serverOrDomain;
}

// Container + "/" + name: the account or group of that name.
inline QString object(const QString &serverOrDomain, const QString &name)
{
    return container(serverOrDomain) + u'/' + name;
}

// The same path with the class fixed: ",user" or ",group" after the name.
inline QString object(const QString &serverOrDomain, const QString &name, DirKind kind)
{
    return object(serverOrDomain, name) + u',' + classNameOf(kind).toLower();
}

} // namespace DirPaths
