#include "provisioningfolders.h"

#include "text/pathresolver.h"

#include <QDir>
#include <QFileInfo>

Status makeFolder(const PathResolver &paths, const QString &windowsPath)
{
    const QString host = paths.toHost(windowsPath);
    const QFileInfo info(host);
    if (info.exists())
        return Status::failure(QStringLiteral("Le dossier %1 existe déjà.").arg(windowsPath));
    if (!QFileInfo(info.path()).isDir() || !QDir().mkdir(host))
        return Status::failure(QStringLiteral("Impossible de créer le dossier %1.").arg(windowsPath));
    return {};
}
