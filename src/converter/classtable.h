#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <QList>

// The table of class codes: lines of two fields, the code as the pupil export gives it and the class
// name to use. Kept as Windows-1252 bytes, the way the export is read.
class ClassTable
{
public:
    struct Line
    {
        QByteArray code;
        QByteArray name;
    };

    explicit ClassTable(QByteArrayView bytes = {});

    const QList<Line> &lines() const { return m_lines; }

    // The class of a pupil's code. Going down the table, every line whose code equals the value so far
    // (case counts) replaces it by its name, so a line can map the name an earlier line produced; a
    // code no line holds stays as it is. Worked out once for the whole table, not per pupil.
    QByteArray classOf(QByteArrayView code) const;

private:
    QList<Line> m_lines;
    // The first line holding each code.
    QHash<QByteArray, qsizetype> m_firstLine;
    // For each line, the value once that line has replaced it and the lines below have had their turn.
    QList<QByteArray> m_outcome;
};
