#pragma once

#include "shell.h"

class PathResolver;

// Runs command lines as processes of this machine (see the interpreter "cmd" of the program folder).
class ProcessShell : public Shell
{
public:
    explicit ProcessShell(const PathResolver &paths);

    Status start(const QString &commandLine, WindowStyle style) override;
    Status startAndWait(const QString &commandLine, WindowStyle style, int timeoutMs = 10 * 60 * 1000) override;
    void pause(int milliseconds) override;

private:
    const PathResolver &m_paths;
};
