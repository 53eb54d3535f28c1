#include "windowsnames.h"

namespace WindowsNames {

bool isFileName(const QString &name)
{
    if (name.isEmpty() || name == QStringLiteral(".") || name == QStringLiteral(".."))
        return false;
    for (const QChar c : name) {
        if (c.unicode() < 0x20 || QStringView(u"\\/:*?\"<>|").contains(c))
            return false;
    }
    return !name.endsWith(u'.') && !name.endsWith(u' ');
}

bool isFolderName(const QString &name)
{
    if (!isFileName(name) || name.contains(QStringLiteral("..")))
        return false;
    for (const QChar c : name) {
        if (QStringView(u"&|<>^%").contains(c))
            return false;
    }
    return true;
}

bool isCommandWord(const QString &name)
{
    if (!isFolderName(name))
        return false;
    for (const QChar c : name) {
        if (c.isSpace() || QStringView(u"!(),;=").contains(c))
            return false;
    }
    return true;
}

QString nameStem(const QString &surname, const QString &firstNames)
{
    return (surname + firstNames).left(10);
}

QString pupilLogin(const QString &surname, const QString &firstNames, const QString &className)
{
    return className + nameStem(surname, firstNames);
}

QString teacherLogin(const QString &surname, const QString &firstName)
{
    return nameStem(surname, firstName);
}

} // namespace WindowsNames
