#include "fixturehelpers.h"

#include "directory/directory.h"
#include "tempprogramfolder.h"
#include "text/cp1252.h"

#include <QFileInfo>

namespace FixtureHelpers {

QString hostPath(TempProgramFolder &folder, const QString &windowsPath)
{
    return folder.paths().toHost(windowsPath);
}

bool folderExists(TempProgramFolder &folder, const QString &windowsPath)
{
    return QFileInfo(hostPath(folder, windowsPath)).isDir();
}

QStringList lines(const QByteArray &bytes)
{
    QString text = Cp1252::decode(bytes);
    if (text.isEmpty())
        return {};
    if (text.endsWith(QStringLiteral("\r\n")))
        text.chop(2);
    return text.split(QStringLiteral("\r\n"));
}

bool exists(Directory &directory, const QString &adsPath)
{
    return directory.bind(adsPath).ok();
}

QVariant property(Directory &directory, const QString &adsPath, DirProperty property)
{
    auto object = directory.bind(adsPath);
    if (!object)
        return {};
    auto value = (*object)->get(property);
    return value ? *value : QVariant();
}

QStringList memberNames(Directory &directory, const QString &groupAdsPath)
{
    QStringList names;
    if (auto group = directory.bind(groupAdsPath)) {
        if (const Status listed = (*group)->members([&names](const DirEntry &member) { names << member.name; });
            !listed)
            names << QStringLiteral("échec : ") + listed.message();
    }
    return names;
}

Services wireServices(const ServiceParts &parts)
{
    return {.paths = parts.folder.paths(),
        .directory = parts.directory,
        .shell = parts.shell,
        .prompts = parts.prompts,
        .passwords = parts.passwords,
        .dialogs = parts.dialogs,
        .main = parts.main,
        .journal = parts.journal};
}

} // namespace FixtureHelpers
