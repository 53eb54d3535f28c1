#pragma once

#include <QStringList>

class Console;
class PathGuard;
class PathResolver;

// The folder and file commands: md, rd, del and ren, on paths written the Windows way (or paths of
// this machine), each resolved through the program folder's drive map and checked by the guard
// before anything is touched. Each returns its exit code.
class FileCommands
{
public:
    FileCommands(const PathResolver &paths, const PathGuard &guard, Console &console)
        : m_paths(paths)
        , m_guard(guard)
        , m_console(console)
    {
    }

    int makeFolder(const QStringList &words);
    int removeFolder(const QStringList &words);
    int deleteFiles(const QStringList &words);
    int rename(const QStringList &words);

private:
    const PathResolver &m_paths;
    const PathGuard &m_guard;
    Console &m_console;
};
