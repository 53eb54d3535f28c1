#pragma once

#include "text/result.h"

#include <QString>

// Starts command lines the way the program always has: "cmd.exe /c ..." lines, batch scripts of the
// program folder and the program folder's executables, words joined by single spaces, no path quoted.
// Exit status and output are never read.
enum class WindowStyle { Normal, Minimized, Hidden };

class Shell
{
public:
    // What a caller that sets no deadline of its own gives a command before taking it for hung: ten
    // minutes, enough for a removal of a whole tree on a slow disk.
    static constexpr int kCommandWaitMs = 10 * 60 * 1000;

    virtual ~Shell() = default;

    // Starts the line and returns at once; a line that cannot start is a failure.
    virtual Status start(const QString &commandLine, WindowStyle style) = 0;
    // Starts the line and returns when its process has ended, or when timeoutMs has passed (a failure).
    virtual Status startAndWait(const QString &commandLine, WindowStyle style, int timeoutMs) = 0;
    virtual void pause(int milliseconds) = 0;

    // Whether the shares that lines such as "net share" make will be served once made; the failure
    // says why not and what to change. Actions ask once, before they start any such line.
    virtual Status checkSharesServed() = 0;
};
