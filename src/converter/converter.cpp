#include "converter.h"

#include "classtable.h"
#include "fieldscanner.h"
#include "pupillines.h"
#include "pupilsorter.h"
#include "text/controlcharacters.h"
#include "text/cp1252.h"
#include "text/pathresolver.h"
#include "text/windowsnames.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSaveFile>
#include <QScopeGuard>
#include <QSet>

namespace {

// Lines go to the files a megabyte at a time.
constexpr qsizetype kChunk = 1 << 20;
// The window hears about progress every so many records or classes; it decides itself when to paint.
constexpr qint64 kRecordStep = 512;
constexpr qsizetype kClassStep = 64;

QByteArray banner()
{
    const QByteArray stars(61, '*');
    return stars + "\r\n" + QByteArray("*   Ceci est la liste des eleves sans classe dans orvo /!\\   *\r\n") + stars
        + "\r\n";
}

// Collects lines and hands them to a file a chunk at a time.
class BufferedOut
{
public:
    explicit BufferedOut(QIODevice &device, bool lowerCase = false)
        : m_device(device)
        , m_lowerCase(lowerCase)
    {
    }

    QByteArray &buffer() { return m_buffer; }
    void append(const QByteArray &bytes)
    {
        m_buffer.append(bytes);
        spill();
    }
    void spill()
    {
        if (m_buffer.size() >= kChunk)
            flush();
    }
    // False once any write has failed.
    bool flush()
    {
        if (!m_buffer.isEmpty() && !m_failed) {
            if (m_lowerCase)
                PupilLines::lowerInPlace(m_buffer);
            m_failed = m_device.write(m_buffer) != m_buffer.size();
        }
        m_buffer.truncate(0);
        return !m_failed;
    }

private:
    QIODevice &m_device;
    bool m_lowerCase;
    bool m_failed = false;
    QByteArray m_buffer;
};

// The converted pupil file, opened for appending before anything is written. Until the run has
// written it in full it can be put back as it was, so that it never holds half a conversion.
class AppendedFile
{
public:
    bool open(const QString &hostPath)
    {
        m_existed = QFileInfo::exists(hostPath);
        m_file.setFileName(hostPath);
        if (!m_file.open(QIODevice::WriteOnly | QIODevice::Append))
            return false;
        m_sizeBefore = m_file.size();
        return true;
    }
    QFile &file() { return m_file; }
    bool close() { return m_file.flush() && (m_file.close(), m_file.error() == QFileDevice::NoError); }
    void putBack()
    {
        if (!m_file.isOpen())
            return;
        m_file.resize(m_sizeBefore);
        m_file.close();
        if (!m_existed && m_sizeBefore == 0)
            QFile::remove(m_file.fileName());
    }

private:
    QFile m_file;
    bool m_existed = false;
    qint64 m_sizeBefore = 0;
};

bool readWhole(const QString &hostPath, QByteArray &bytes)
{
    QFile file(hostPath);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    bytes = file.readAll();
    return file.error() == QFileDevice::NoError;
}

// The names of the files in a folder, letter case aside.
QSet<QString> filesIn(const QString &hostFolder)
{
    QSet<QString> names;
    const QStringList entries = QDir(hostFolder).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::NoSort);
    for (const QString &entry : entries)
        names.insert(entry.toCaseFolded());
    return names;
}

// Lines of a work file read back three fields at a time, as the converted file receives them.
QByteArray relined(const QByteArray &workFile)
{
    QByteArray out;
    out.reserve(workFile.size());
    FieldScanner scanner(workFile);
    while (!scanner.atEnd()) {
        const QByteArrayView surname = scanner.field();
        const QByteArrayView firstNames = scanner.field();
        const QByteArrayView className = scanner.field();
        PupilLines::appendLine(out, {surname, firstNames, className});
    }
    return out;
}

} // namespace

QString Converter::analysisMessage(qint64 total, qint64 withoutClass, const QString &errorFile)
{
    return QStringLiteral("Analyse terminée de ") + QString::number(total) + QStringLiteral(" élèves dont ")
        + QString::number(withoutClass) + QStringLiteral(" sont sans classe.") + QLatin1Char('\r')
        + QStringLiteral("   Consulter le fichier ") + errorFile
        + QStringLiteral(" pour en savoir plus. Le traitement continue, patientez...");
}

QString Converter::finishedMessage()
{
    return QStringLiteral("Traitement terminé, vous pouvez retourner sous Velmar et créer les utilisateurs");
}

QString Converter::unparkedMessage(const QStringList &classes, const QString &workFolder)
{
    return QStringLiteral("Aucun fichier de travail n'a pu être créé dans ") + workFolder
        + QStringLiteral(" pour les élèves des codes absents du fichier des DIVCOD : ")
        + classes.join(QStringLiteral(", "))
        + QStringLiteral(". Ces élèves ne figurent pas dans le fichier de destination.");
}

Result<ConversionReport> Converter::run(const ConversionRequest &request, ConversionObserver &observer)
{
    using Failure = Result<ConversionReport>;
    const QString untouched = QStringLiteral(" Aucun fichier n'a été modifié.");

    // A control character cannot stand in a Windows file name, and a NUL would cut the name short on
    // this machine, so that the file written would not be the one named.
    for (const QString &path :
        {request.exportFile, request.classTable, request.convertedFile, request.errorFile, request.workFolder}) {
        if (ControlCharacters::any(path))
            return Failure::failure(QStringLiteral("Le chemin %1 contient un caractère de contrôle : corrigez-le.")
                                        .arg(ControlCharacters::escaped(path))
                + untouched);
    }

    // Read everything there is to read, and open everything there is to write, before the first byte
    // goes out: a wrong path stops the run with nothing half-written.
    QByteArray exportBytes;
    if (!readWhole(m_paths.toHost(request.exportFile), exportBytes))
        return Failure::failure(QStringLiteral("Impossible de lire le fichier ") + request.exportFile
            + QStringLiteral(" : vérifiez son chemin.") + untouched);
    QByteArray tableBytes;
    if (!readWhole(m_paths.toHost(request.classTable), tableBytes))
        return Failure::failure(QStringLiteral("Impossible de lire le fichier des DIVCOD ") + request.classTable
            + QStringLiteral(" : vérifiez son chemin.") + untouched);
    const ClassTable table(tableBytes);

    AppendedFile converted;
    const QString workFolder = request.workFolder;
    const QString tempName = workFolder + QStringLiteral("\\temporvo.txt");
    QFile temp(m_paths.toHost(tempName));
    bool tempMade = false;
    // Whatever stops the run from here on puts the converted file back as it was and leaves no
    // temporary file behind; only a finished run keeps what it wrote.
    auto undo = qScopeGuard([&] {
        if (tempMade)
            temp.remove();
        converted.putBack();
    });

    if (!converted.open(m_paths.toHost(request.convertedFile)))
        return Failure::failure(QStringLiteral("Impossible d'écrire dans le fichier ") + request.convertedFile
            + QStringLiteral(" : vérifiez son chemin.") + untouched);

    auto workFile = [&](const QString &name) { return workFolder + QLatin1Char('\\') + name + QStringLiteral(".txt"); };
    if (!temp.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return Failure::failure(QStringLiteral("Impossible de créer le fichier de travail ") + tempName
            + QStringLiteral(" : vérifiez le disque system.") + untouched);
    tempMade = true;

    QSaveFile errors(m_paths.toHost(request.errorFile));
    if (!errors.open(QIODevice::WriteOnly))
        return Failure::failure(QStringLiteral("Impossible de créer le fichier d'erreurs ") + request.errorFile
            + QStringLiteral(" : vérifiez son chemin.") + untouched);

    // First pass: count the records.
    ConversionReport report;
    FieldScanner counter(exportBytes);
    while (!counter.atEnd()) {
        counter.field();
        counter.field();
        counter.field();
        ++report.total;
    }
    observer.counted(report.total);

    // Second pass: pupils without a class to the error file, the others to the temporary file and
    // sorted by class.
    PupilSorter sorter(table);
    sorter.reserve(exportBytes.size());
    BufferedOut errorsOut(errors);
    errorsOut.append(banner());
    FieldScanner scanner(exportBytes);
    qint64 processed = 0;
    while (!scanner.atEnd()) {
        const QByteArrayView surname = scanner.field();
        const QByteArrayView firstNames = scanner.field();
        const QByteArrayView code = scanner.field();
        ++processed;
        if (!code.isEmpty()) {
            sorter.add(surname, firstNames, code);
        } else {
            PupilLines::appendLine(errorsOut.buffer(), {surname, firstNames});
            errorsOut.spill();
            ++report.withoutClass;
        }
        if (processed % kRecordStep == 0 || processed == report.total)
            observer.progressed(processed);
    }
    sorter.finish();
    // The temporary file only mirrors what is sorted in memory: a failure to write it loses nothing.
    temp.write(sorter.temporaryLines());
    temp.close();
    if (!errorsOut.flush() || !errors.commit())
        return Failure::failure(QStringLiteral("Impossible d'écrire le fichier d'erreurs ") + request.errorFile
            + QStringLiteral(" : vérifiez son chemin.") + untouched);
    if (report.total > 0)
        observer.analysed(analysisMessage(report.total, report.withoutClass, request.errorFile));

    // Pupils whose code is not in the table are set aside in the work file of their code, left in the
    // work folder. A code that cannot name a file there is reported instead of written elsewhere.
    qsizetype step = 0;
    const QList<PupilSorter::Group> &groups = sorter.groups();
    for (qsizetype g = 0; g < groups.size(); ++g) {
        if (groups[g].listed)
            continue;
        const QString name = Cp1252::decode(groups[g].name);
        bool parked = false;
        if (WindowsNames::isFileName(name + QStringLiteral(".txt"))) {
            QByteArray lines;
            sorter.appendGroup(lines, g);
            QFile file(m_paths.toHost(workFile(name)));
            parked = file.open(QIODevice::WriteOnly | QIODevice::Append) && file.write(lines) == lines.size()
                && file.flush();
        }
        if (!parked)
            report.unparkedClasses.append(name);
        if (++step % kClassStep == 0)
            observer.stillWorking();
    }

    // Merge in the order of the table. The pupils of a listed class never leave memory, so no work file
    // can lose them; a work file of that name already lying in the work folder comes first, as the
    // pupils would have been appended to it, and goes with the others at the end.
    BufferedOut convertedOut(converted.file(), request.lowerCase);
    // Most classes have no such file: one look at the folder spares resolving every name.
    const QSet<QString> present = filesIn(m_paths.toHost(workFolder));
    QSet<QString> leftovers;
    for (const ClassTable::Line &line : table.lines()) {
        const qsizetype group = sorter.findGroup(line.name);
        const QString name = Cp1252::decode(line.name);
        QByteArray earlier;
        const bool hadFile = WindowsNames::isFileName(name + QStringLiteral(".txt"))
            && present.contains((name + QStringLiteral(".txt")).toCaseFolded());
        if (hadFile) {
            const QString host = m_paths.toHost(workFile(name));
            if (QFileInfo(host).isFile() && readWhole(host, earlier))
                leftovers.insert(host);
        }
        if (!earlier.isEmpty()) {
            sorter.appendGroup(earlier, group);
            PupilLines::appendBytes(convertedOut.buffer(), relined(earlier));
        } else {
            sorter.appendGroup(convertedOut.buffer(), group);
        }
        convertedOut.spill();
        if (++step % kClassStep == 0)
            observer.stillWorking();
    }
    if (!convertedOut.flush() || !converted.close())
        return Failure::failure(QStringLiteral("Impossible d'écrire dans le fichier ") + request.convertedFile
            + QStringLiteral(" : il est resté tel qu'il était. Le fichier d'erreurs ") + request.errorFile
            + QStringLiteral(" a été écrit."));

    undo.dismiss();
    temp.remove();
    for (const QString &host : std::as_const(leftovers))
        QFile::remove(host);
    return report;
}
