#include "enrolsupport.h"

#include "program/services.h"

namespace EnrolSupport {

Result<DomainNames> readNames(const Services &services)
{
    auto names = SettingsFiles::readDomainNames(*services.paths);
    if (!names)
        return names.status();
    if (names->server.trimmed().isEmpty())
        return Status::failure(QStringLiteral("Le fichier parametres.txt ne donne pas le nom du serveur : "
                                              "indiquez-le dans Fichier > Paramètres."));
    return names;
}

bool isCommandWord(const QString &name)
{
    static const QString refused = QStringLiteral("\\/:*?\"<>|&^%!(),;=");
    if (name.isEmpty() || name.contains(QStringLiteral("..")))
        return false;
    for (const QChar c : name) {
        if (c.isSpace() || c.unicode() < 32 || refused.contains(c))
            return false;
    }
    // Windows drops trailing dots from a name: "abc." would address "abc".
    return !name.endsWith(u'.');
}

} // namespace EnrolSupport
