#include "keptfile.h"

#include "journalfile.h"
#include "text/pathresolver.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace KeptFile {

namespace {

constexpr QFileDevice::Permissions kOwnerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
// Files kept within one second of each other; beyond this something else is wrong.
constexpr int kNameAttempts = 100;

} // namespace

Result<QString> keepAside(const PathResolver &paths, const QString &windowsPath)
{
    const QString host = paths.toHost(windowsPath);
    const QFileInfo old(host);
    if (!old.exists())
        return QString();
    if (!old.isFile())
        return Status::failure(QStringLiteral("%1 n'est pas un fichier.").arg(windowsPath));
    // Closed to others before it moves, so that the kept file is never open to them.
    if ((QFile::permissions(host) & ~kOwnerOnly) && !QFile::setPermissions(host, kOwnerOnly))
        return Status::failure(
            QStringLiteral("Impossible de réserver le fichier %1 à son propriétaire.").arg(windowsPath));

    const qsizetype slash = windowsPath.lastIndexOf(u'\\');
    const QString name = windowsPath.mid(slash + 1);
    const qsizetype dot = name.lastIndexOf(u'.');
    const QString stem = dot > 0 ? name.left(dot) : name;
    const QString extension = dot > 0 ? name.mid(dot) : QString();
    const QString base = stem + u'-' + JournalFile::stamp(old.lastModified());

    QString error;
    for (int attempt = 1; attempt <= kNameAttempts; ++attempt) {
        const QString keptName = base + (attempt == 1 ? QString() : u'-' + QString::number(attempt)) + extension;
        const QString keptHost = old.dir().filePath(keptName);
        if (QFileInfo::exists(keptHost))
            continue;
        // A rename never replaces a file that is there: should one appear meanwhile, the next name is tried.
        QFile file(host);
        if (file.rename(keptHost))
            return windowsPath.left(slash + 1) + keptName;
        error = file.errorString();
        if (!QFileInfo::exists(keptHost))
            break;
    }
    return Status::failure(QStringLiteral("Impossible de mettre de côté le fichier %1 : %2").arg(windowsPath, error));
}

} // namespace KeptFile
