#pragma once

#include "shell/shell.h"

#include <QList>
#include <QStringList>

// Records every command line in order, with its style and whether it was waited for; optionally
// passes each on to a real shell. Lines matching a refused prefix fail to start. Counts the
// questions whether shares are served, and answers sharesServed (or the real shell's answer).
class RecordingShell : public Shell
{
public:
    struct Started
    {
        QString line;
        WindowStyle style;
        bool waited;
    };

    explicit RecordingShell(Shell *forwardTo = nullptr)
        : m_forward(forwardTo)
    {
    }

    Status start(const QString &commandLine, WindowStyle style) override;
    Status startAndWait(const QString &commandLine, WindowStyle style, int timeoutMs) override;
    void pause(int milliseconds) override;
    Status checkSharesServed() override;

    QStringList lines() const;
    QList<Started> started;
    QList<int> pauses;
    QStringList refusedPrefixes;
    Status sharesServed;
    int shareChecks = 0;

private:
    Shell *m_forward;
};
