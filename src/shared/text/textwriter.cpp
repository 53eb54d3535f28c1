#include "textwriter.h"

#include "cp1252.h"

#include <QSaveFile>

namespace {

Status cannotWrite(const QString &hostPath, const QFileDevice &file)
{
    return Status::failure(QStringLiteral("Impossible d'écrire le fichier %1 : %2").arg(hostPath, file.errorString()));
}

} // namespace

QByteArray TextWriter::encodeLine(const QString &text)
{
    return Cp1252::encode(text) + "\r\n";
}

Status TextWriter::open(const QString &hostPath, Mode mode)
{
    return open(hostPath, mode, QFileDevice::Permissions());
}

Status TextWriter::open(const QString &hostPath, Mode mode, QFileDevice::Permissions permissions)
{
    m_file.setFileName(hostPath);
    m_failed = false;
    QIODevice::OpenMode flags = QIODevice::WriteOnly;
    switch (mode) {
    case Mode::Create:
        flags |= QIODevice::Truncate;
        break;
    case Mode::Append:
        flags |= QIODevice::Append;
        break;
    case Mode::CreateNew:
        flags |= QIODevice::NewOnly;
        break;
    }
    const bool opened = permissions ? m_file.open(flags, permissions) : m_file.open(flags);
    if (!opened)
        return cannotWrite(hostPath, m_file);
    return {};
}

void TextWriter::writeLine(const QString &text)
{
    if (m_file.isOpen() && m_file.write(encodeLine(text)) < 0)
        m_failed = true;
}

void TextWriter::writeLines(const QStringList &lines)
{
    QByteArray bytes;
    for (const QString &line : lines)
        bytes += encodeLine(line);
    if (m_file.isOpen() && !bytes.isEmpty() && m_file.write(bytes) != bytes.size())
        m_failed = true;
}

void TextWriter::writeNumberLine(long long number)
{
    writeLine(QLatin1Char(' ') + QString::number(number) + QLatin1Char(' '));
}

Status TextWriter::flush()
{
    if (!m_file.isOpen())
        return {};
    if (!m_file.flush() || m_failed) {
        m_failed = true;
        return Status::failure(
            QStringLiteral("Écriture incomplète du fichier %1 : %2").arg(m_file.fileName(), m_file.errorString()));
    }
    return {};
}

Status TextWriter::close()
{
    if (!m_file.isOpen())
        return {};
    const bool flushed = m_file.flush();
    const QString name = m_file.fileName();
    const QString error = m_file.errorString();
    m_file.close();
    if (m_failed || !flushed)
        return Status::failure(QStringLiteral("Écriture incomplète du fichier %1 : %2").arg(name, error));
    return {};
}

QString csvLine(const QStringList &fields)
{
    QStringList written;
    written.reserve(fields.size());
    for (const QString &field : fields) {
        const bool quoted
            = field.contains(u',') || field.contains(u'"') || field.contains(u'\r') || field.contains(u'\n');
        written.append(
            quoted ? u'"' + QString(field).replace(QStringLiteral("\""), QStringLiteral("\"\"")) + u'"' : field);
    }
    return written.join(u',');
}

Status replaceFile(const QString &hostPath, const QStringList &lines)
{
    return replaceFile(hostPath, lines, QFileDevice::Permissions());
}

namespace {

Status replaceWithBytes(const QString &hostPath, const QByteArray &bytes, QFileDevice::Permissions permissions)
{
    QSaveFile file(hostPath);
    if (!file.open(QIODevice::WriteOnly))
        return cannotWrite(hostPath, file);
    // Set on the new file before it holds anything, and so kept when it takes the old one's place.
    if (permissions && !file.setPermissions(permissions))
        return cannotWrite(hostPath, file);
    file.write(bytes);
    if (!file.commit())
        return cannotWrite(hostPath, file);
    return {};
}

} // namespace

Status replaceFile(const QString &hostPath, const QStringList &lines, QFileDevice::Permissions permissions)
{
    QByteArray bytes;
    for (const QString &line : lines)
        bytes += TextWriter::encodeLine(line);
    return replaceWithBytes(hostPath, bytes, permissions);
}

Status replaceFileWithEncodedLines(const QString &hostPath, const QList<QByteArray> &encodedLines)
{
    QByteArray bytes;
    for (const QByteArray &line : encodedLines)
        bytes += line + "\r\n";
    return replaceWithBytes(hostPath, bytes, QFileDevice::Permissions());
}

Status appendLines(const QString &hostPath, const QStringList &lines)
{
    TextWriter writer;
    if (Status opened = writer.open(hostPath, TextWriter::Mode::Append); !opened)
        return opened;
    writer.writeLines(lines);
    return writer.close();
}
