#pragma once

#include "result.h"

#include <QFile>
#include <QString>
#include <QStringList>

// Writes text files as both programs write them: Windows-1252, each line ended by CR LF, no quotes.
class TextWriter
{
public:
    enum class Mode { Create, Append };

    Status open(const QString &hostPath, Mode mode);
    bool isOpen() const { return m_file.isOpen(); }
    void writeLine(const QString &text);
    // A number as the files hold it: a space before and after it (" 2 ").
    void writeNumberLine(long long number);
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
// Appends lines to a file, creating it when missing, and closes it again.
Status appendLines(const QString &hostPath, const QStringList &lines);
