#include "accountsteps.h"

#include "directory/directory.h"
#include "directory/dirpaths.h"
#include "program/services.h"
#include "pupilnaming.h"

namespace AccountSteps {

Status setHomeAndScript(
    const Services &services, const QString &serverName, const QString &login, const QString &logonScript)
{
    auto user = services.directory->bind(DirPaths::object(serverName, login));
    if (!user)
        return user.status();
    if (Status s = (*user)->put(DirProperty::HomeDirectory, PupilNaming::homeDirectory(serverName, login)); !s)
        return s;
    if (Status s = (*user)->put(DirProperty::LoginScript, logonScript); !s)
        return s;
    return (*user)->setInfo();
}

Status joinGroup(const Services &services, const QString &serverName, const QString &login, const QString &group)
{
    auto user = services.directory->bind(DirPaths::object(serverName, login, DirKind::User));
    if (!user)
        return user.status();
    auto bound = services.directory->bind(DirPaths::object(serverName, group, DirKind::Group));
    if (!bound)
        return bound.status();
    if (Status added = (*bound)->add((*user)->adsPath()); !added)
        return added;
    return (*bound)->setInfo();
}

} // namespace AccountSteps
