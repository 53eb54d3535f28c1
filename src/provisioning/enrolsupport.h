#pragma once

#include "program/settingsfiles.h"
#include "text/result.h"

#include <QString>

struct Services;

// What the four enrolment and removal dialogs share: the names read from the settings when they
// open, and the check of a name that goes onto a command line.
namespace EnrolSupport {

// The names of "parametres.txt"; a file that cannot be read, or one that names no server, is a
// failure: no directory path could be built from it.
Result<DomainNames> readNames(const Services &services);

// True when the text can be put on a command line as one word naming one folder or share: not
// empty, no space, no character that Windows refuses in a name or that the command interpreter
// reads as an operator, and no "..". Anything else would make the line address another folder.
bool isCommandWord(const QString &name);

} // namespace EnrolSupport
