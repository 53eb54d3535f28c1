#include "directorypath.h"

namespace {

const QString prefix = QStringLiteral("WinNT://");

// Windows refuses these in account and group names.
const QString forbidden = QStringLiteral("\"/\\[]:;|=,+*?<>");

constexpr int maxGroupName = 256;

} // namespace

namespace DirNames {

QString canonicalClass(const QString &className)
{
    const auto kind = kindNamed(className);
    return kind ? classNameOf(*kind) : QString();
}

Result<DirPath> parsePath(const QString &adsPath)
{
    const QString unknown = QStringLiteral("Chemin d'annuaire non reconnu : « %1 ».").arg(adsPath);
    if (!adsPath.startsWith(prefix))
        return Result<DirPath>::failure(unknown);
    const QString rest = adsPath.mid(prefix.size());
    DirPath path;
    const qsizetype slash = rest.indexOf(u'/');
    path.server = slash < 0 ? rest : rest.left(slash);
    if (path.server.isEmpty())
        return Result<DirPath>::failure(unknown);
    if (slash < 0)
        return path;

    QString name = rest.mid(slash + 1);
    const qsizetype comma = name.lastIndexOf(u',');
    if (comma >= 0) {
        path.fixedClass = canonicalClass(name.mid(comma + 1));
        if (path.fixedClass.isEmpty())
            return Result<DirPath>::failure(unknown);
        name.truncate(comma);
    }
    // A name that could never be stored cannot name anything either; the path is simply wrong.
    if (name.isEmpty() || name.contains(u'/') || name.contains(u','))
        return Result<DirPath>::failure(unknown);
    path.name = name;
    return path;
}

Status checkName(DirKind kind, const QString &name)
{
    if (name.isEmpty())
        return Status::failure(QStringLiteral("Le nom est vide."));
    for (const QChar c : name) {
        if (forbidden.contains(c))
            return Status::failure(
                QStringLiteral("Le nom « %1 » contient un caractère interdit (« %2 »).").arg(name, QString(c)));
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            return Status::failure(QStringLiteral("Le nom « %1 » contient un caractère de contrôle.").arg(name));
    }
    if (name.endsWith(u'.'))
        return Status::failure(QStringLiteral("Le nom « %1 » ne peut pas se terminer par un point.").arg(name));
    if (name.trimmed().isEmpty())
        return Status::failure(QStringLiteral("Le nom ne peut pas être fait seulement d'espaces."));
    if (kind == DirKind::User && name.size() > maxUserName)
        return Status::failure(
            QStringLiteral("Le nom d'utilisateur « %1 » dépasse %2 caractères.").arg(name).arg(maxUserName));
    if (name.size() > maxGroupName)
        return Status::failure(QStringLiteral("Le nom « %1 » dépasse %2 caractères.").arg(name).arg(maxGroupName));
    return {};
}

QString key(const QString &name)
{
    return name.toCaseFolded();
}

QString objectPath(const QString &server, const QString &name)
{
    return prefix + server + u'/' + name;
}

} // namespace DirNames
