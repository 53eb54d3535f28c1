#include "recordingshell.h"

Status RecordingShell::start(const QString &commandLine, WindowStyle style)
{
    started.append({commandLine, style, false});
    for (const QString &prefix : std::as_const(refusedPrefixes)) {
        if (commandLine.startsWith(prefix))
            return Status::failure(QStringLiteral("Impossible de lancer : ") + commandLine);
    }
    return m_forward ? m_forward->start(commandLine, style) : Status();
}

Status RecordingShell::startAndWait(const QString &commandLine, WindowStyle style, int timeoutMs)
{
    started.append({commandLine, style, true});
    for (const QString &prefix : std::as_const(refusedPrefixes)) {
        if (commandLine.startsWith(prefix))
            return Status::failure(QStringLiteral("Impossible de lancer : ") + commandLine);
    }
    return m_forward ? m_forward->startAndWait(commandLine, style, timeoutMs) : Status();
}

void RecordingShell::pause(int milliseconds)
{
    pauses.append(milliseconds);
    if (m_forward)
        m_forward->pause(milliseconds);
}

Status RecordingShell::checkSharesServed()
{
    ++shareChecks;
    if (!sharesServed)
        return sharesServed;
    return m_forward ? m_forward->checkSharesServed() : Status();
}

QStringList RecordingShell::lines() const
{
    QStringList all;
    for (const Started &s : started)
        all << s.line;
    return all;
}
