#include "accountsteps.h"

#include "directory/directory.h"
#include "dirpaths.h"
#include "pupilnaming.h"
#include "services.h"

namespace AccountSteps {

void setHomeAndScript(
    const Services &services, const QString &serverName, const QString &login, const QString &logonScript)
{
    auto user = services.directory->bind(DirPaths::object(serverName, login));
    if (!user)
        return;
    (*user)->put(QStringLiteral("HomeDirectory"), PupilNaming::homeDirectory(serverName, login));
    (*user)->put(QStringLiteral("LoginScript"), logonScript);
    (*user)->setInfo();
}

void joinGroups(const Services &services, const QString &serverName, const QString &login, const QStringList &groups)
{
    auto user = services.directory->bind(DirPaths::object(serverName, login, QStringLiteral("user")));
    if (!user)
        return;
    const QString member = (*user)->adsPath();
    for (const QString &group : groups) {
        if (auto bound = services.directory->bind(DirPaths::object(serverName, group, QStringLiteral("group")))) {
            (*bound)->add(member);
            (*bound)->setInfo();
        }
    }
}

} // namespace AccountSteps
