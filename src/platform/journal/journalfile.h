#pragma once

#include "text/result.h"
#include "text/textwriter.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <memory>

class PathResolver;

// A journal of the program folder's "journal" folder: a text file, written as every file of the
// program is, that grows one line at a time. Each line reaches the system as soon as it is written,
// so that what a stopped run had done is known after it. Journals tell what was done, never a
// password, and only their owner may read them: the folder is 0700, each journal 0600. While a run
// writes its journal it holds a lock on it, so that another run tells it from one that stopped.
class JournalFile
{
public:
    JournalFile(JournalFile &&) noexcept;
    JournalFile &operator=(JournalFile &&) noexcept;
    ~JournalFile();

    // program folder + "\journal"
    static QString folder(const PathResolver &paths);
    // AAAAMMJJ-HHMMSS
    static QString stamp(const QDateTime &when);

    // A new journal, program folder + "\journal\" + prefix + "-" + stamp + ".txt", locked; should
    // that name be taken, "-2", "-3" and so on come before ".txt": no journal is ever written over.
    static Result<JournalFile> create(const PathResolver &paths, const QString &prefix, const QDateTime &when);
    // An existing journal, locked, to go on with it. A last line cut short by a stop is dropped
    // first, so that the next line stands on its own.
    static Result<JournalFile> reopen(const PathResolver &paths, const QString &windowsPath);
    // program folder + "\journal\" + name, to append to; made when missing. Not locked: each line
    // is added in one write.
    static Result<JournalFile> append(const PathResolver &paths, const QString &name);

    const QString &windowsPath() const;
    // One line, control characters made spaces so that it stays one line; on disk when this returns.
    Status writeLine(const QString &line);

    // The Windows paths of the journals prefix + "-...txt", in the order of their names, so oldest
    // first.
    static QStringList list(const PathResolver &paths, const QString &prefix);
    // The whole lines of a journal; a last line without its line end is left out.
    static Result<QStringList> readLines(const PathResolver &paths, const QString &windowsPath);
    // The last whole line of a journal, read from its end alone: a run's end is told without reading
    // the whole run. Empty when there is none or the journal cannot be read.
    static QString lastLine(const PathResolver &paths, const QString &windowsPath);
    // True while a run holds the journal.
    static bool inUse(const PathResolver &paths, const QString &windowsPath);

private:
    struct Open;
    explicit JournalFile(std::unique_ptr<Open> open);
    static Result<JournalFile> opened(
        const QString &windowsPath, const QString &hostPath, TextWriter::Mode mode, bool lock);

    std::unique_ptr<Open> m_open;
};
