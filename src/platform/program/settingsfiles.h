#pragma once

#include "text/result.h"

#include <QString>

class PathResolver;

// The three settings files of the program folder: "parametres.txt" (domain and server names),
// "system.txt" (system volume) and "mode.txt" (working mode).
struct DomainNames
{
    QString domain;
    QString server;
};

namespace SettingsFiles {
// The last complete pair of fields of "parametres.txt".
Result<DomainNames> readDomainNames(const PathResolver &paths);
// The last field of "system.txt".
Result<QString> readSystemVolume(const PathResolver &paths);
// The last whole line of "mode.txt", as read.
Result<QString> readModeLine(const PathResolver &paths);
// The last field of "mode.txt" as an integer (0 when empty or not a number).
Result<int> readModeField(const PathResolver &paths);
// The numeric value of a line: leading spaces skipped, digits up to the first other character.
int numericValue(const QString &line);

// Each file is replaced whole, never left half-written.
Status write(const PathResolver &paths, const DomainNames &names, int mode, const QString &systemVolume);
} // namespace SettingsFiles
