#include "processshell.h"

#include <QThread>

ProcessShell::ProcessShell(const PathResolver &paths) : m_paths(paths) {}

Status ProcessShell::start(const QString &commandLine, WindowStyle)
{
    return Status::failure(QStringLiteral("Impossible de lancer : ") + commandLine);
}

Status ProcessShell::startAndWait(const QString &commandLine, WindowStyle style, int)
{
    return start(commandLine, style);
}

void ProcessShell::pause(int milliseconds)
{
    QThread::msleep(milliseconds);
}
