#include "pupilnaming.h"

#include "directory/logins.h"

namespace PupilNaming {

QString login(const QString &className, const QString &surname, const QString &firstNames)
{
    return Logins::pupilLogin(surname, firstNames, className);
}

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

bool isFolderName(const QString &value)
{
    if (value.contains(QStringLiteral("..")))
        return false;
    for (const QChar c : value) {
        if (c.unicode() < 0x20 || QStringView(u"/\\\"&|<>^%").contains(c))
            return false;
    }
    qsizetype end = value.size();
    while (end > 0 && (value[end - 1] == u'.' || value[end - 1] == u' '))
        --end;
    return end > 0;
}

bool hasFolderNames(const QString &className, const QString &login)
{
    return isFolderName(className) && isFolderName(login);
}

} // namespace PupilNaming
