#pragma once

#include "shell/shell.h"

// Passes every line on to the shell it is switched to, so that a test can put another shell behind
// the services a window was made with (a real one, or one that watches) without making them again.
class SwitchableShell : public Shell
{
public:
    explicit SwitchableShell(Shell &target)
        : m_target(&target)
    {
    }

    void switchTo(Shell &target) { m_target = &target; }

    Status start(const QString &commandLine, WindowStyle style) override { return m_target->start(commandLine, style); }
    Status startAndWait(const QString &commandLine, WindowStyle style, int timeoutMs) override
    {
        return m_target->startAndWait(commandLine, style, timeoutMs);
    }
    void pause(int milliseconds) override { m_target->pause(milliseconds); }
    Status checkSharesServed() override { return m_target->checkSharesServed(); }

private:
    Shell *m_target;
};
