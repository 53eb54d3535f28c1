#pragma once

#include "result.h"

#include <QFile>
#include <QString>
#include <QStringList>

// Writes text files as both programs write them: Windows-1252, each line ended by CR LF, no quotes.
class TextWriter
{
public:
    // CreateNew never takes the place of a file that is there already.
    enum class Mode { Create, Append, CreateNew };

    Status open(const QString &hostPath, Mode mode);
    // A file made by this open gets these permissions; one that was there keeps its own.
    Status open(const QString &hostPath, Mode mode, QFileDevice::Permissions permissions);
    bool isOpen() const { return m_file.isOpen(); }
    void writeLine(const QString &text);
    // The lines in one write, so that a reader or a writer of the same file never sees half of them.
    void writeLines(const QStringList &lines);
    // A number as the files hold it: a space before and after it (" 2 ").
    void writeNumberLine(long long number);
    // Hands what was written so far to the system, so that it outlives the program; a failure of
    // any write since the file was opened is reported here.
    Status flush();
    // The open file's descriptor, for locking it; -1 when closed.
    int handle() const { return m_file.handle(); }
    Status close();

    static QByteArray encodeLine(const QString &text);

private:
    QFile m_file;
    bool m_failed = false;
};

// Fields joined by commas, as a spreadsheet reads them back: a field holding a comma, a double quote
// or a line end stands between double quotes, its own quotes doubled.
QString csvLine(const QStringList &fields);

// Replaces a whole file in one step: the lines go to a new file that then takes the old one's place,
// so a failure never leaves a half-written file behind.
Status replaceFile(const QString &hostPath, const QStringList &lines);
// The same for a file that only its owner may read: it holds these permissions before its first line.
Status replaceFile(const QString &hostPath, const QStringList &lines, QFileDevice::Permissions permissions);
// The same for lines already in the files' encoding, kept as they were read back: each gets its CR LF.
Status replaceFileWithEncodedLines(const QString &hostPath, const QList<QByteArray> &encodedLines);
// Appends lines to a file, creating it when missing, and closes it again.
Status appendLines(const QString &hostPath, const QStringList &lines);
