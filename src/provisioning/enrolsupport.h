#pragma once

#include "program/settingsfiles.h"
#include "text/result.h"

#include <QString>

class PathResolver;

// What the four enrolment and removal dialogs share: the names read from the settings when they
// open, and the message of an enrolment that went through.
namespace EnrolSupport {

// The names of "parametres.txt"; a file that cannot be read, or one that names no server, is a
// failure: no directory path could be built from it.
Result<DomainNames> readNames(const PathResolver &paths);

// What the enrolment of a pupil or a teacher says when the account and all it needs were made.
QString addedMessage(const QString &login);

} // namespace EnrolSupport
