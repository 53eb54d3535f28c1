#include "classtable.h"

#include "fieldscanner.h"

ClassTable::ClassTable(QByteArrayView bytes)
{
    FieldScanner scanner(bytes);
    while (!scanner.atEnd()) {
        const QByteArray code = scanner.field().toByteArray();
        const QByteArray name = scanner.field().toByteArray();
        m_lines.append({code, name});
    }

    // From the bottom up: after line i the value is its name, which the first later line holding that
    // name as its code takes over, and so on down. m_firstLine holds, at each step, the first line
    // below i for every code.
    m_outcome.resize(m_lines.size());
    for (qsizetype i = m_lines.size() - 1; i >= 0; --i) {
        const Line &line = m_lines[i];
        const auto next = m_firstLine.constFind(line.name);
        m_outcome[i] = next == m_firstLine.cend() ? line.name : m_outcome[*next];
        m_firstLine.insert(line.code, i);
    }
}

QByteArray ClassTable::classOf(QByteArrayView code) const
{
    const auto first = m_firstLine.constFind(QByteArray::fromRawData(code.data(), code.size()));
    return first == m_firstLine.cend() ? code.toByteArray() : m_outcome[*first];
}
