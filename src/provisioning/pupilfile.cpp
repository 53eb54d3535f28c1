#include "pupilfile.h"

#include "text/pathresolver.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>

QString PupilFile::unreadableMessage(const QString &windowsPath)
{
    return QStringLiteral("Impossible de lire le fichier des élèves convertis : ") + windowsPath + QLatin1Char('.');
}

Result<PupilFile> PupilFile::open(const QString &windowsPath, const PathResolver &paths)
{
    // Reading leaves the disk as it was, even on a drive never used before.
    const QString host = paths.lookUp(windowsPath);
    // A folder opens as an empty file on some systems: it is no pupil file either.
    if (windowsPath.trimmed().isEmpty() || QFileInfo(host).isDir())
        return Result<PupilFile>::failure(unreadableMessage(windowsPath));
    QFile file(host);
    if (!file.open(QIODevice::ReadOnly))
        return Result<PupilFile>::failure(unreadableMessage(windowsPath));
    // One read: the records and the checksum come from the same bytes.
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return Result<PupilFile>::failure(unreadableMessage(windowsPath));
    return PupilFile(FieldReader(bytes), PupilFileIdentity::of(windowsPath, bytes));
}

PupilFileIdentity PupilFileIdentity::of(const QString &windowsPath, const QByteArray &bytes)
{
    return {windowsPath, bytes.size(),
        QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex())};
}

PupilRecord PupilFile::next()
{
    const QStringList fields = m_reader.record(3);
    return {fields[0], fields[1], fields[2]};
}

QList<PupilRecord> PupilFile::readAll()
{
    QList<PupilRecord> records;
    while (!atEnd())
        records.append(next());
    return records;
}

int PupilFile::remaining() const
{
    FieldReader counter = m_reader;
    int count = 0;
    while (!counter.atEnd()) {
        counter.record(3);
        ++count;
    }
    return count;
}
