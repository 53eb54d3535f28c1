#include "sharestore.h"

#include "text/controlcharacters.h"

Status Share::checkText() const
{
    const auto refused = [](const QString &what) {
        return Status::failure(QStringLiteral("%1 contient un caractère de contrôle : rien n'est partagé.").arg(what));
    };
    if (ControlCharacters::any(name))
        return refused(QStringLiteral("Le nom « %1 »").arg(ControlCharacters::escaped(name)));
    if (ControlCharacters::any(path) || ControlCharacters::any(hostPath))
        return refused(QStringLiteral("Le dossier « %1 »").arg(ControlCharacters::escaped(path)));
    if (ControlCharacters::any(remark))
        return refused(QStringLiteral("La remarque « %1 »").arg(ControlCharacters::escaped(remark)));
    return {};
}
