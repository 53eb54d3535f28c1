#pragma once

#include "journalfile.h"
#include "text/result.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <optional>

class PathResolver;

// The journal of one long run (a bulk creation, the removal of all pupils). A journal that cannot
// be made or written stops nothing: from its first failure it writes no more and keeps why, so that
// the run goes on and says it once, at its end.
class RunJournal
{
public:
    // A new journal prefix + "-AAAAMMJJ-HHMMSS.txt", named after the time given.
    static RunJournal start(const PathResolver &paths, const QString &prefix, const QDateTime &when);
    // The journal of a stopped run, to go on with it.
    static RunJournal resume(const PathResolver &paths, const QString &windowsPath);

    void write(const QString &line);
    void write(const QStringList &lines);

    bool failed() const { return !m_failure.ok(); }
    const Status &failure() const { return m_failure; }
    // The journal's Windows path, or what it would have been named.
    const QString &windowsPath() const { return m_windowsPath; }
    // "Le journal " + path + " n'a pas pu être écrit : " + why + "\r" + what it means for this run.
    QString failureMessage(const QString &consequence) const;

private:
    RunJournal(QString windowsPath, Result<JournalFile> opened);

    QString m_windowsPath;
    std::optional<JournalFile> m_file;
    Status m_failure;
};
