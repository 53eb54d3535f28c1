#pragma once

#include "text/result.h"

#include <QString>

class PathResolver;

// A file that a run makes anew, such as an account sheet, is first kept beside itself under a name
// that tells when it was last written: "comptes.html" becomes "comptes-AAAAMMJJ-HHMMSS.html". The
// kept file is readable by its owner only, and never takes the place of another: should the name
// be taken, "-2", "-3" and so on come before the extension.
namespace KeptFile {

// Keeps the file named the Windows way, when there is one. Gives the Windows path of the kept
// file, or an empty text when there was nothing to keep.
Result<QString> keepAside(const PathResolver &paths, const QString &windowsPath);

} // namespace KeptFile
