#include "pupilsorter.h"

#include "pupillines.h"
#include "text/cp1252.h"

#include <cstring>

PupilSorter::PupilSorter(const ClassTable &table)
    : m_table(table)
{
    for (const ClassTable::Line &line : table.lines())
        m_listedKeys.insert(keyOf(line.name));
}

QString PupilSorter::keyOf(QByteArrayView className)
{
    return Cp1252::decode(className.toByteArray()).toCaseFolded();
}

void PupilSorter::reserve(qsizetype exportSize)
{
    // Class names are seldom much longer than the codes they replace; a little room covers the rest.
    m_lines.reserve(exportSize + exportSize / 8);
}

const PupilSorter::CodeClass &PupilSorter::classOf(QByteArrayView code)
{
    if (m_lastCode && code == *m_lastCode)
        return *m_lastClass;
    auto known = m_codes.constFind(QByteArray::fromRawData(code.data(), code.size()));
    if (known == m_codes.cend()) {
        const QByteArray value = m_table.classOf(code);
        known = m_codes.insert(code.toByteArray(), CodeClass {value, groupOf(value)});
    }
    // Entries move when the table grows, which happens only above, before these are set again.
    m_lastCode = &known.key();
    m_lastClass = &known.value();
    return *m_lastClass;
}

qint32 PupilSorter::groupOf(const QByteArray &value)
{
    const QString key = keyOf(value);
    const auto at = m_groupByKey.constFind(key);
    if (at != m_groupByKey.cend())
        return *at;
    const auto group = static_cast<qint32>(m_groups.size());
    m_groups.append({value, m_listedKeys.contains(key)});
    m_groupByKey.insert(key, group);
    return group;
}

void PupilSorter::add(QByteArrayView surname, QByteArrayView firstNames, QByteArrayView code)
{
    const CodeClass &found = classOf(code);
    const auto pupil = static_cast<qsizetype>(m_starts.size());
    m_starts.push_back(m_lines.size());
    m_groupOf.push_back(found.group);
    PupilLines::appendLine(m_lines, {surname, firstNames, found.value});

    // The work file receives the fields as the temporary file gives them back, which loses the
    // leading spaces of a field written without quotes.
    auto changes = [](QByteArrayView field) { return PupilLines::readBack(field).size() != field.size(); };
    if (changes(surname) || changes(firstNames) || changes(found.value)) {
        QByteArray line;
        PupilLines::appendLine(
            line, {PupilLines::readBack(surname), PupilLines::readBack(firstNames), PupilLines::readBack(found.value)});
        m_rewritten.insert(pupil, line);
    }
}

void PupilSorter::finish()
{
    m_starts.push_back(m_lines.size());
    // A counting sort keeps export order within each group.
    m_groupBegin.assign(m_groups.size() + 1, 0);
    for (const qint32 group : m_groupOf)
        ++m_groupBegin[group + 1];
    for (std::size_t g = 1; g < m_groupBegin.size(); ++g)
        m_groupBegin[g] += m_groupBegin[g - 1];
    std::vector<qsizetype> next(m_groupBegin.begin(), m_groupBegin.end() - 1);
    m_order.resize(m_groupOf.size());
    for (std::size_t pupil = 0; pupil < m_groupOf.size(); ++pupil)
        m_order[next[m_groupOf[pupil]]++] = static_cast<qsizetype>(pupil);
}

QByteArrayView PupilSorter::lineOf(qsizetype pupil) const
{
    return QByteArrayView(m_lines.constData() + m_starts[pupil], m_starts[pupil + 1] - m_starts[pupil]);
}

qsizetype PupilSorter::findGroup(QByteArrayView className) const
{
    const auto at = m_groupByKey.constFind(keyOf(className));
    return at == m_groupByKey.cend() ? -1 : *at;
}

void PupilSorter::appendGroup(QByteArray &out, qsizetype group) const
{
    if (group < 0)
        return;
    const qsizetype first = m_groupBegin[group];
    const qsizetype last = m_groupBegin[group + 1];
    if (!m_rewritten.isEmpty()) {
        for (qsizetype k = first; k < last; ++k) {
            const auto rewritten = m_rewritten.constFind(m_order[k]);
            PupilLines::appendBytes(
                out, rewritten != m_rewritten.cend() ? QByteArrayView(*rewritten) : lineOf(m_order[k]));
        }
        return;
    }
    // The usual case: the group's lines are measured, room is made once, and they are copied in.
    qsizetype length = 0;
    for (qsizetype k = first; k < last; ++k)
        length += lineOf(m_order[k]).size();
    qsizetype at = out.size();
    out.resize(at + length);
    char *data = out.data();
    for (qsizetype k = first; k < last; ++k) {
        const QByteArrayView line = lineOf(m_order[k]);
        std::memcpy(data + at, line.data(), line.size());
        at += line.size();
    }
}
