#include "pupilnaming.h"

#include "text/windowsnames.h"

namespace PupilNaming {

QString classHomeFolder(const QString &homeRoot, const QString &className)
{
    return homeRoot + QStringLiteral("\\eleves\\") + className;
}

QString personalFolder(const QString &homeRoot, const QString &className, const QString &login)
{
    return classHomeFolder(homeRoot, className) + QLatin1Char('\\') + login;
}

QString homeShare(const QString &login)
{
    return login + QLatin1Char('$');
}

QString homeDirectory(const QString &serverName, const QString &login)
{
    return QStringLiteral("\\\\") + serverName + QLatin1Char('\\') + homeShare(login);
}

bool hasFolderNames(const QString &className, const QString &login)
{
    return WindowsNames::isFolderName(className) && WindowsNames::isFolderName(login);
}

} // namespace PupilNaming
