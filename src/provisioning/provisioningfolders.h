#pragma once

#include "text/result.h"

#include <QString>

class PathResolver;

// Creates one folder named the Windows way, as the provisioning steps do: only the last component is
// made, so a missing parent or an existing folder is a failure that the caller skips.
Status makeFolder(const PathResolver &paths, const QString &windowsPath);
