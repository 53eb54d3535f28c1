#pragma once

#include "pupilfile.h"
#include "text/result.h"

#include <QDateTime>
#include <QSet>
#include <QString>
#include <QStringList>

#include <optional>

class PathResolver;
struct PupilAccount;

// The journal of one run of step 3, program folder + "\journal\creation-AAAAMMJJ-HHMMSS.txt". Its
// first lines name the pupil file, its size and the checksum of its content; then the sheet, the
// start, the number of pupils and the logins that named accounts before the run. Then one line per
// pupil, written as soon as that pupil is done: record number, login and what became of each step.
// "reprise" marks where a stopped run went on, "fin" ends a run, "abandonnée" a run that will not
// go on.
namespace CreationJournal {

inline QString prefix()
{
    return QStringLiteral("creation");
}
inline QString endLine()
{
    return QStringLiteral("fin");
}
inline QString abandonedLine()
{
    return QStringLiteral("abandonnée");
}

struct Header
{
    PupilFileIdentity file;
    QString sheet; // Windows path
    QDateTime started;
    int pupils = 0;
    // The logins of the file that named accounts when the run started; none when the directory
    // could not list its accounts.
    std::optional<QStringList> existing;
};

QStringList headerLines(const Header &header);
// "<label> : path", "Taille : N octets", "Somme de contrôle SHA-256 : …": the file a run read.
QStringList fileLines(const QString &label, const PupilFileIdentity &file);
// "Début : JJ/MM/AAAA HH:MM:SS"
QString startedLine(const QDateTime &when);
// "Élèves : N"
QString pupilsLine(int pupils);
// "12 ; login ; compte : fait ; ... ; feuille : fait"
QString pupilLine(int record, const QString &className, const PupilAccount &account, const Status &sheetRow);
// The line for a pupil whose row is on the sheet though the stopped run wrote no line for it.
QString foundOnSheetLine(int record, const QString &login);
// "reprise : JJ/MM/AAAA HH:MM:SS"
QString resumedLine(const QDateTime &when);

// What a journal says of its run.
struct Run
{
    QString journal; // Windows path
    Header header;
    QSet<int> records; // the pupils with a line
    bool ended = false; // "fin" or "abandonnée"
};
// Reads a journal; one whose header is not whole (a run stopped before its first pupil) is a failure.
Result<Run> read(const PathResolver &paths, const QString &windowsPath);
// The latest run on this very file (same file, size and checksum) that neither ended nor was given
// up, and that no other Velmar is writing.
std::optional<Run> findStopped(const PathResolver &paths, const PupilFileIdentity &file);
// Marks the run given up, so that it is never offered again.
Status abandon(const PathResolver &paths, const QString &windowsPath);

} // namespace CreationJournal
