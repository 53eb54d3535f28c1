#pragma once

#include "text/fieldreader.h"
#include "text/result.h"

#include <QString>

class PathResolver;

// One pupil of the converted pupil file: surname, first names, class, as trivo wrote them.
struct PupilRecord
{
    QString surname;
    QString firstNames;
    QString className;
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

    // "Impossible de lire le fichier des élèves " + path + "."
    static QString unreadableMessage(const QString &windowsPath);

private:
    explicit PupilFile(FieldReader reader)
        : m_reader(std::move(reader))
    {
    }
    FieldReader m_reader;
};
