#pragma once

#include "classtable.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <QList>
#include <QSet>
#include <QString>

#include <vector>

// Sorts the pupils who have a class as the second pass meets them. Each pupil's line of the
// temporary file is kept once, in export order; the pupils of a class value are found through an
// index sorted once at the end, so no class keeps a growing copy of its own.
//
// Class values that differ only in letter case make one group, as their work files would be one
// file on the school's drives. A group is listed when a class name of the table falls in it.
class PupilSorter
{
public:
    struct Group
    {
        QByteArray name; // the first value met, which names the work file
        bool listed = false;
    };

    explicit PupilSorter(const ClassTable &table);

    // Room for the lines of an export of that many bytes, so that they are not moved as they grow.
    void reserve(qsizetype exportSize);

    void add(QByteArrayView surname, QByteArrayView firstNames, QByteArrayView code);
    // Ends the adding; the groups can be read from then on.
    void finish();

    // The lines of the temporary file: surname, first names, class value.
    const QByteArray &temporaryLines() const { return m_lines; }
    const QList<Group> &groups() const { return m_groups; }
    // The group of a class name, or -1 when no pupil is in it.
    qsizetype findGroup(QByteArrayView className) const;
    // Appends the lines of a group's work file, in export order.
    void appendGroup(QByteArray &out, qsizetype group) const;

    // Letter case aside, the way the school's drives compare file names.
    static QString keyOf(QByteArrayView className);

private:
    struct CodeClass
    {
        QByteArray value;
        qint32 group;
    };
    const CodeClass &classOf(QByteArrayView code);
    qint32 groupOf(const QByteArray &value);
    QByteArrayView lineOf(qsizetype pupil) const;

    const ClassTable &m_table;
    QSet<QString> m_listedKeys;
    QHash<QByteArray, CodeClass> m_codes;
    // Exports come sorted by class more often than not: the code just seen is asked again.
    const QByteArray *m_lastCode = nullptr;
    const CodeClass *m_lastClass = nullptr;
    QHash<QString, qint32> m_groupByKey;
    QList<Group> m_groups;

    QByteArray m_lines;
    std::vector<qsizetype> m_starts; // where each pupil's line starts; one more at the end
    std::vector<qint32> m_groupOf;
    // A pupil's work-file line where it differs from the temporary line.
    QHash<qsizetype, QByteArray> m_rewritten;
    // Pupils by group, in export order: those of group g stand in m_order[m_groupBegin[g]..m_groupBegin[g+1]).
    std::vector<qsizetype> m_order;
    std::vector<qsizetype> m_groupBegin;
};
