#pragma once

#include "dirproperties.h"
#include "text/result.h"

#include <QString>

// What every backend shares: reading a "WinNT://" path and the naming rules of a Windows domain.

struct DirPath
{
    QString server; // the server or domain name the path binds through; never empty
    QString name; // empty for the container
    QString fixedClass; // "User" or "Group" when the path ends in ",user" or ",group", else empty

    bool isContainer() const { return name.isEmpty(); }
};

namespace DirNames {

// "WinNT://X", "WinNT://X/name", "WinNT://X/name,user", "WinNT://X/name,group".
Result<DirPath> parsePath(const QString &adsPath);

// "User" or "Group" for a class name given in any case, an empty text for anything else.
QString canonicalClass(const QString &className);

// The longest account name the domain takes.
constexpr int maxUserName = 20;

// The rules an account or group name must follow before it can be stored.
Status checkName(DirKind kind, const QString &name);

// The key under which names are compared: two names with the same key cannot both exist.
QString key(const QString &name);

// "WinNT://" + server + "/" + name.
QString objectPath(const QString &server, const QString &name);

} // namespace DirNames
