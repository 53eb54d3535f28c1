#pragma once

#include "text/result.h"

#include <QString>
#include <QStringList>

class PathResolver;

// Where a teacher's folder lies, and the teacher list "profsliste.txt" of the program folder, one
// login per line in enrolment order. The login itself follows WindowsNames::teacherLogin.
namespace Teachers {

// home-folder root + "\profs\" + login
QString folder(const QString &homeRoot, const QString &login);

// The entries of the teacher list, in file order; a list not written yet has none.
Result<QStringList> read(const PathResolver &paths);
// Appends one login, creating the list when missing.
Status append(const PathResolver &paths, const QString &login);
// Rewrites the list without every entry equal to the login (letter case counts), the others in
// their order. The new list takes the old one's place in one step, so it is never lost or
// half-written; a list not written yet stays so.
Status remove(const PathResolver &paths, const QString &login);

} // namespace Teachers
