#include "runjournal.h"

RunJournal::RunJournal(QString windowsPath, Result<JournalFile> opened)
    : m_windowsPath(std::move(windowsPath))
{
    if (opened) {
        m_windowsPath = opened->windowsPath();
        m_file.emplace(std::move(*opened));
    } else {
        m_failure = opened.status();
    }
}

RunJournal RunJournal::start(const PathResolver &paths, const QString &prefix, const QDateTime &when)
{
    return RunJournal(
        JournalFile::folder(paths) + u'\\' + prefix + u'-' + JournalFile::stamp(when) + QStringLiteral(".txt"),
        JournalFile::create(paths, prefix, when));
}

RunJournal RunJournal::resume(const PathResolver &paths, const QString &windowsPath)
{
    return RunJournal(windowsPath, JournalFile::reopen(paths, windowsPath));
}

void RunJournal::write(const QString &line)
{
    if (!m_file || failed())
        return;
    m_failure = m_file->writeLine(line);
}

void RunJournal::write(const QStringList &lines)
{
    for (const QString &line : lines)
        write(line);
}

QString RunJournal::failureMessage(const QString &consequence) const
{
    return QStringLiteral("Le journal %1 n'a pas pu être écrit : %2\r%3")
        .arg(m_windowsPath, m_failure.message(), consequence);
}
