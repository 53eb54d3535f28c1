#include "benchfolder.h"

#include <QDir>
#include <QFile>

#include <unistd.h>

bool layProgramFolder(const QString &folder, const QStringList &driveLetters)
{
    const QString built = QStringLiteral(VELMAR_BUILT_PROGRAM_FOLDER);
    for (const QString &name : {QStringLiteral("cmd"), QStringLiteral("perso.bat")}) {
        const QString from = built + u'/' + name;
        const QString to = folder + u'/' + name;
        // A hard link, so that the interpreter finds this folder as its program folder.
        if (::link(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) != 0
            && !QFile::copy(from, to))
            return false;
    }
    QByteArray lines;
    for (const QString &letter : driveLetters) {
        const QString drive = folder + QStringLiteral("/drives/") + letter.toLower();
        if (!QDir().mkpath(drive))
            return false;
        lines += letter.toUpper().toLatin1() + ":," + QFile::encodeName(drive) + "\r\n";
    }
    QFile map(folder + QStringLiteral("/lecteurs.txt"));
    return map.open(QIODevice::WriteOnly) && map.write(lines) == lines.size();
}
