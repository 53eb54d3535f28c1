#pragma once

#include <QString>

namespace ProgramFolder {
// The folder of the running executable: settings, lists and scripts live there, whatever the
// current directory is.
QString ofRunningExecutable();

// In a folder that a group shares (setgid and group-writable, as the Debian package makes the
// program folder), files and folders this program creates stay writable by the other members.
void shareNewFilesWithGroup(const QString &folder);
} // namespace ProgramFolder
