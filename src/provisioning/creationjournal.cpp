#include "creationjournal.h"

#include "journal/journalfile.h"
#include "pupilaccount.h"
#include "text/pathresolver.h"

#include <QRegularExpression>

#include <algorithm>

namespace CreationJournal {

namespace {

const QString kSeparator = QStringLiteral(" ; ");
const QString kKeySeparator = QStringLiteral(" : ");
const QString kFile = QStringLiteral("Fichier des élèves");
const QString kSize = QStringLiteral("Taille");
const QString kChecksum = QStringLiteral("Somme de contrôle SHA-256");
const QString kSheet = QStringLiteral("Feuille des comptes");
const QString kStarted = QStringLiteral("Début");
const QString kPupils = QStringLiteral("Élèves");
const QString kExistingCount = QStringLiteral("Comptes existants avant la création");
const QString kExisting = QStringLiteral("Compte existant");
const QString kResumed = QStringLiteral("reprise");
const QString kDateTime = QStringLiteral("dd/MM/yyyy HH:mm:ss");

QString keyed(const QString &key, const QString &value)
{
    return key + kKeySeparator + value;
}

// The record number that starts a pupil's line, or 0.
int recordOf(const QString &line)
{
    static const QRegularExpression pupil(QStringLiteral("^(\\d+) ; "));
    const auto match = pupil.match(line);
    return match.hasMatch() ? match.captured(1).toInt() : 0;
}

Result<Run> incomplete(const QString &windowsPath)
{
    return Status::failure(QStringLiteral("Le début du journal %1 est incomplet.").arg(windowsPath));
}

} // namespace

QStringList fileLines(const QString &label, const PupilFileIdentity &file)
{
    return {keyed(label, file.windowsPath), keyed(kSize, QString::number(file.size) + QStringLiteral(" octets")),
        keyed(kChecksum, file.checksum)};
}

QString startedLine(const QDateTime &when)
{
    return keyed(kStarted, when.toString(kDateTime));
}

QString pupilsLine(int pupils)
{
    return keyed(kPupils, QString::number(pupils));
}

QStringList headerLines(const Header &header)
{
    QStringList lines = fileLines(kFile, header.file);
    lines << keyed(kSheet, header.sheet) << startedLine(header.started) << pupilsLine(header.pupils);
    if (!header.existing) {
        lines << keyed(kExistingCount, QStringLiteral("inconnus"));
        return lines;
    }
    lines << keyed(kExistingCount, QString::number(header.existing->size()));
    for (const QString &login : std::as_const(*header.existing))
        lines << keyed(kExisting, login);
    return lines;
}

QString pupilLine(int record, const QString &className, const PupilAccount &account, const Status &sheetRow)
{
    QString sheet = QStringLiteral("feuille : fait");
    if (!sheetRow)
        sheet = QStringLiteral("feuille : échec (") + sheetRow.message() + u')';
    return QString::number(record) + kSeparator + account.login + kSeparator + account.stepsText(className) + kSeparator
        + sheet;
}

QString foundOnSheetLine(int record, const QString &login)
{
    return QString::number(record) + kSeparator + login + kSeparator
        + QStringLiteral("ligne de la feuille des comptes retrouvée à la reprise");
}

QString resumedLine(const QDateTime &when)
{
    return keyed(kResumed, when.toString(kDateTime));
}

Result<Run> read(const PathResolver &paths, const QString &windowsPath)
{
    auto lines = JournalFile::readLines(paths, windowsPath);
    if (!lines)
        return lines.status();
    Run run;
    run.journal = windowsPath;
    QHash<QString, QString> values;
    QStringList existing;
    qsizetype at = 0;
    for (; at < lines->size(); ++at) {
        const QString &line = lines->at(at);
        const qsizetype split = line.indexOf(kKeySeparator);
        if (recordOf(line) > 0 || split < 0 || line.startsWith(kResumed + kKeySeparator))
            break;
        const QString key = line.left(split);
        const QString value = line.mid(split + kKeySeparator.size());
        if (key == kExisting)
            existing << value;
        else
            values.insert(key, value);
    }
    static const QStringList required {kFile, kSize, kChecksum, kSheet, kStarted, kPupils, kExistingCount};
    if (!std::all_of(required.begin(), required.end(), [&](const QString &key) { return values.contains(key); }))
        return incomplete(windowsPath);
    Header &header = run.header;
    header.file.windowsPath = values[kFile];
    header.file.size = values[kSize].section(u' ', 0, 0).toLongLong();
    header.file.checksum = values[kChecksum];
    header.sheet = values[kSheet];
    header.started = QDateTime::fromString(values[kStarted], kDateTime);
    header.pupils = values[kPupils].toInt();
    bool counted = false;
    const int existingCount = values[kExistingCount].toInt(&counted);
    if (counted) {
        // The list is written before any pupil: a list cut short is a header cut short.
        if (existing.size() != existingCount)
            return incomplete(windowsPath);
        header.existing = existing;
    }

    for (; at < lines->size(); ++at) {
        const QString &line = lines->at(at);
        if (const int record = recordOf(line); record > 0)
            run.records.insert(record);
        else if (line == endLine() || line == abandonedLine())
            run.ended = true;
    }
    return run;
}

std::optional<Run> findStopped(const PathResolver &paths, const PupilFileIdentity &file)
{
    const QStringList journals = JournalFile::list(paths, prefix());
    const QString fileHost = paths.lookUp(file.windowsPath);
    for (auto it = journals.rbegin(); it != journals.rend(); ++it) {
        // A journal that cannot be read, or that a run still writes, is no stopped run.
        if (JournalFile::inUse(paths, *it))
            continue;
        // A run that ended is told by its last line, without reading the run.
        if (const QString last = JournalFile::lastLine(paths, *it); last == endLine() || last == abandonedLine())
            continue;
        auto run = read(paths, *it);
        if (!run || run->ended)
            continue;
        const PupilFileIdentity &was = run->header.file;
        if (paths.lookUp(was.windowsPath) == fileHost && was.size == file.size && was.checksum == file.checksum)
            return *run;
    }
    return std::nullopt;
}

Status abandon(const PathResolver &paths, const QString &windowsPath)
{
    auto journal = JournalFile::reopen(paths, windowsPath);
    if (!journal)
        return journal.status();
    return journal->writeLine(abandonedLine());
}

} // namespace CreationJournal
