#pragma once

#include <QString>

namespace ProgramFolder {
// The folder of the running executable: settings, lists and scripts live there, whatever the
// current directory is.
QString ofRunningExecutable();
}
