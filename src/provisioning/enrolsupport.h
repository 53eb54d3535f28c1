#pragma once

#include "program/settingsfiles.h"
#include "text/result.h"

#include <QString>

struct Services;

// What the four enrolment and removal dialogs share: the names read from the settings when they
// open.
namespace EnrolSupport {

// The names of "parametres.txt"; a file that cannot be read, or one that names no server, is a
// failure: no directory path could be built from it.
Result<DomainNames> readNames(const Services &services);

} // namespace EnrolSupport
