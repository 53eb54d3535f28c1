#pragma once

#include <QStringList>

class Console;
class PathGuard;
class PathResolver;
class ShareStore;

// "net share" in its four forms: alone (list the shares), NAME (show one), NAME=PATH with
// "/unlimited", "/users:N" and "/remark:TEXT" (share a folder), NAME "/delete" or "/del" with an
// optional "/y" (stop sharing). Returns the exit code. A share store that hands folders to accounts
// is only let do so where the guard allows it.
class ShareCommand
{
public:
    ShareCommand(const PathResolver &paths, const PathGuard &guard, ShareStore &store, Console &console)
        : m_paths(paths)
        , m_guard(guard)
        , m_store(store)
        , m_console(console)
    {
    }

    int run(const QStringList &words);

private:
    int list();
    int show(const QString &name);
    int add(const QString &name, const QString &path, const QString &remark);
    int remove(const QString &name);

    const PathResolver &m_paths;
    const PathGuard &m_guard;
    ShareStore &m_store;
    Console &m_console;
};
