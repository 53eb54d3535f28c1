#pragma once

#include "text/result.h"

#include <QStringList>

class Console;
class PathResolver;

// The folder and file commands: md, rd, del and ren, on paths written the Windows way (or paths of
// this machine), each resolved through the program folder's drive map. Each returns its exit code.
class FileCommands
{
public:
    FileCommands(const PathResolver &paths, Console &console)
        : m_paths(paths)
        , m_console(console)
    {
    }

    int makeFolder(const QStringList &words);
    int removeFolder(const QStringList &words);
    int deleteFiles(const QStringList &words);
    int rename(const QStringList &words);

    // Refuses a whole-tree deletion of nothing, of a drive's root (unless allowed), of "/" or of a
    // folder holding the program folder: one mistyped path must not wipe a server.
    Status guardTree(const QString &word, const QString &hostPath, bool refuseDriveRoot = true) const;

private:
    const PathResolver &m_paths;
    Console &m_console;
};
