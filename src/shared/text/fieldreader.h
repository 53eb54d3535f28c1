#pragma once

#include "result.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

// Reads a text file the way every file of both programs is read: as a stream of fields separated by
// commas or line ends. Leading spaces of a field are skipped; a field in double quotes loses them and
// may hold commas; a blank line is one empty field; the final line end adds no field. CR LF, LF and a
// lone CR all end a line. The whole file is decoded from Windows-1252.
class FieldReader
{
public:
    explicit FieldReader(const QByteArray &bytes = {});

    // Opens a host path; a file that cannot be read is a failure naming it.
    static Result<FieldReader> open(const QString &hostPath);

    bool atEnd() const { return m_pos >= m_text.size(); }

    // The next field; the empty text once the end is reached.
    QString field();
    // The next n fields, wherever the lines end; missing fields at the end of the file are empty.
    QStringList record(int n);
    // The rest of the current line, whole (commas and quotes included).
    QString line();

private:
    void skipLineEnd();
    bool atLineEnd() const;

    QString m_text;
    qsizetype m_pos = 0;
};
