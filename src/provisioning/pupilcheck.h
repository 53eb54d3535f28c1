#pragma once

#include "pupilfile.h"
#include "text/result.h"

#include <QList>
#include <QString>
#include <QStringList>

class Directory;
class PathResolver;

// One record of the converted pupil file as the check sees it.
struct PupilCheckRow
{
    int line = 0; // the record's number in the file, from 1
    QString login; // the one the bulk creation would give
    PupilRecord pupil;
    QStringList problems; // in the order the checks run

    bool clean() const { return problems.isEmpty(); }
    // The problems joined by "; ".
    QString problemText() const;
};

// What the bulk creation would meet if it ran now, record by record, before anything is written:
// fields left empty, a login given twice in the file or already in the domain, a login the domain
// refuses (too long, or holding a character it forbids), a class or login no folder can be named
// after, a class without its group or its folder. The file is read as the bulk creation reads it,
// and the directory is asked once for every name. Nothing is written, to the directory or the disk.
class PupilCheck
{
public:
    struct Input
    {
        QString serverName;
        QString homeRoot; // txt_perso
        QString pupilFile; // txt_orvo
    };

    PupilCheck(Directory &directory, const PathResolver &paths)
        : m_directory(directory)
        , m_paths(paths)
    {
    }

    // One row per record, in file order; a failure that says why when the file cannot be read or
    // the directory cannot be listed.
    Result<QList<PupilCheckRow>> run(const Input &input);

    static QString emptyField();
    static QString loginTakenByLine(int line);
    static QString accountExists();
    static QString loginTooLong();
    static QString loginRefused();
    static QString folderNameRefused();
    static QString classGroupMissing();
    static QString classFolderMissing();

    // "N élèves : M sans problème, P avec un problème."
    static QString summary(const QList<PupilCheckRow> &rows);

    // The report: system volume + "\verification.csv", a line of column names, then one line per row.
    static QString reportPath(const QString &systemVolume);
    static const QStringList &columns();
    static QStringList reportLines(const QList<PupilCheckRow> &rows);

private:
    Directory &m_directory;
    const PathResolver &m_paths;
};
