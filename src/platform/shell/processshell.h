#pragma once

#include "shell.h"

#include <QStringList>

#include <memory>

class PathResolver;
class ProcessQueue;

// Runs command lines on this machine. A line is split at its spaces and started directly, never
// through a system shell, so a word holding ";", "|", "$(" or ">" is one more argument. "cmd.exe"
// and batch scripts run on the program folder's own interpreter "cmd", a few of which are kept
// serving lines for the shell's life; "X.exe" runs the program X as a process. Lines start in order,
// at most a fixed number at once; the window style has no meaning here.
class ProcessShell : public Shell
{
public:
    static constexpr int kDefaultMaxRunning = 16;

    explicit ProcessShell(const PathResolver &paths, int maxRunning = kDefaultMaxRunning);
    ~ProcessShell() override;

    Status start(const QString &commandLine, WindowStyle style) override;
    Status startAndWait(const QString &commandLine, WindowStyle style, int timeoutMs) override;
    void pause(int milliseconds) override;
    // The program folder's configuration says where its interpreter keeps shares.
    Status checkSharesServed() override;

    // Waits until every started line has ended; false when timeoutMs passed first.
    bool waitForIdle(int timeoutMs);
    // The most lines that ever ran at once.
    int peakRunning() const;
    int maxRunning() const;

    // The program and its arguments (argv[0] first) a line runs, or why it cannot run.
    struct Launch
    {
        QString program;
        QStringList arguments;
        bool interpreted = false; // the program folder's interpreter: the line goes to a serving one
    };
    Result<Launch> resolve(const QString &commandLine) const;

private:
    const PathResolver &m_paths;
    std::unique_ptr<ProcessQueue> m_queue;
};
