#pragma once

#include "text/result.h"

#include <QByteArray>
#include <QString>

class PathResolver;

// Samba serves the shares kept in its registry, where "net conf" writes them, only when its
// configuration reads them: "registry shares = yes" in [global], or "include = registry" or
// "config backend = registry", which imply it. Without that a share is listed but nobody reaches it.
namespace RegistryShares {

// The line that makes Samba serve them, for the administrator to add to [global].
QString lineToAdd();
// Asks testparm whether the configuration file serves registry shares.
Status check(const QString &sambaConf);
// What testparm's answer about "registry shares" means for that configuration file.
Status fromTestparm(const QString &sambaConf, int exitCode, const QByteArray &output, const QByteArray &errors);

} // namespace RegistryShares

// Whether the shares the program folder's scripts make will be served: always when they go to the
// folder's own list; when "annuaire.conf" sends them to the domain controller's Samba, only if its
// configuration serves registry shares. The failure says what to change.
Status checkSharesServed(const PathResolver &paths);
