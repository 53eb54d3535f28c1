#include "fieldreader.h"

#include "cp1252.h"

#include <QFile>

FieldReader::FieldReader(const QByteArray &bytes)
    : m_text(Cp1252::decode(bytes))
{
}

Result<FieldReader> FieldReader::open(const QString &hostPath)
{
    QFile file(hostPath);
    if (!file.open(QIODevice::ReadOnly))
        return Result<FieldReader>::failure(
            QStringLiteral("Impossible d'ouvrir le fichier %1 : %2").arg(hostPath, file.errorString()));
    return FieldReader(file.readAll());
}

bool FieldReader::atLineEnd() const
{
    const QChar c = m_text[m_pos];
    return c == u'\r' || c == u'\n';
}

void FieldReader::skipLineEnd()
{
    if (m_pos < m_text.size() && m_text[m_pos] == u'\r')
        ++m_pos;
    if (m_pos < m_text.size() && m_text[m_pos] == u'\n')
        ++m_pos;
}

QString FieldReader::field()
{
    while (m_pos < m_text.size() && m_text[m_pos] == u' ')
        ++m_pos;
    if (atEnd())
        return {};

    QString value;
    if (m_text[m_pos] == u'"') {
        const qsizetype close = m_text.indexOf(u'"', m_pos + 1);
        const qsizetype stop = close < 0 ? m_text.size() : close;
        value = m_text.mid(m_pos + 1, stop - m_pos - 1);
        m_pos = close < 0 ? m_text.size() : close + 1;
        // Whatever stands between the closing quote and the separator is dropped.
        while (m_pos < m_text.size() && m_text[m_pos] != u',' && !atLineEnd())
            ++m_pos;
    } else {
        const qsizetype start = m_pos;
        while (m_pos < m_text.size() && m_text[m_pos] != u',' && !atLineEnd())
            ++m_pos;
        value = m_text.mid(start, m_pos - start);
    }

    if (m_pos < m_text.size()) {
        if (m_text[m_pos] == u',')
            ++m_pos;
        else
            skipLineEnd();
    }
    return value;
}

QStringList FieldReader::record(int n)
{
    QStringList fields;
    fields.reserve(n);
    for (int i = 0; i < n; ++i)
        fields.append(field());
    return fields;
}

QString FieldReader::line()
{
    const qsizetype start = m_pos;
    while (m_pos < m_text.size() && !atLineEnd())
        ++m_pos;
    const QString value = m_text.mid(start, m_pos - start);
    skipLineEnd();
    return value;
}
