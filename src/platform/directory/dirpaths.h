#pragma once

#include <QString>

// The directory paths the actions build from the server (or domain) name.
namespace DirPaths {

// "WinNT://" + name: the container of every account and group.
inline QString container(const QString &serverOrDomain)
{
    return QStringLiteral("WinNT://") + serverOrDomain;
}

// Container + "/" + name, with "," + class suffix ("user", "group") when one is given.
inline QString object(const QString &serverOrDomain, const QString &name, const QString &classSuffix = {})
{
    QString path = container(serverOrDomain) + u'/' + name;
    if (!classSuffix.isEmpty())
        path += u',' + classSuffix;
    return path;
}

} // namespace DirPaths
