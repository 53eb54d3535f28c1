#include "enrolsupport.h"

#include "text/pathresolver.h"

namespace EnrolSupport {

Result<DomainNames> readNames(const PathResolver &paths)
{
    auto names = SettingsFiles::readDomainNames(paths);
    if (!names)
        return names.status();
    if (names->server.trimmed().isEmpty())
        return Status::failure(QStringLiteral("Le fichier parametres.txt ne donne pas le nom du serveur : "
                                              "indiquez-le dans Fichier > Paramètres."));
    return names;
}

QString addedMessage(const QString &login)
{
    return QStringLiteral("Vous venez d'ajouter l' utilisateur: ") + login
        + QStringLiteral(" ses droits et répertoires ont été créés.");
}

} // namespace EnrolSupport
