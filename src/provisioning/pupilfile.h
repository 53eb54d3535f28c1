#pragma once

#include "text/fieldreader.h"
#include "text/result.h"

#include <QList>
#include <QString>

class PathResolver;

// One pupil of the converted pupil file: surname, first names, class, as trivo wrote them.
struct PupilRecord
{
    QString surname;
    QString firstNames;
    QString className;
};

// What tells one pupil file from another, and from itself once changed: the name the administrator
// gave, its size and the SHA-256 of its bytes, all taken from the bytes that were read.
struct PupilFileIdentity
{
    QString windowsPath;
    qint64 size = 0;
    QString checksum; // SHA-256, in lower-case hexadecimal

    bool operator==(const PupilFileIdentity &) const = default;

    // The identity of the bytes read from windowsPath.
    static PupilFileIdentity of(const QString &windowsPath, const QByteArray &bytes);
};

// The converted pupil file, read as records of three fields wherever the lines end.
class PupilFile
{
public:
    // Opens the file named the Windows way (the text of txt_orvo). A file that cannot be read is a
    // failure whose message names it as the administrator typed it.
    static Result<PupilFile> open(const QString &windowsPath, const PathResolver &paths);

    bool atEnd() const { return m_reader.atEnd(); }
    PupilRecord next();
    // How many records are left, without using them up.
    int remaining() const;
    // Every record left.
    QList<PupilRecord> readAll();
    const PupilFileIdentity &identity() const { return m_identity; }

    // "Impossible de lire le fichier des élèves " + path + "."
    static QString unreadableMessage(const QString &windowsPath);

private:
    PupilFile(FieldReader reader, PupilFileIdentity identity)
        : m_reader(std::move(reader))
        , m_identity(std::move(identity))
    {
    }
    FieldReader m_reader;
    PupilFileIdentity m_identity;
};
