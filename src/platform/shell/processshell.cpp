#include "processshell.h"

#include "processqueue.h"
#include "registryshares.h"
#include "text/pathresolver.h"

#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <unistd.h>

namespace {

QString fileNameOf(const QString &word)
{
    const qsizetype cut = std::max(word.lastIndexOf(u'\\'), word.lastIndexOf(u'/'));
    return word.mid(cut + 1);
}

Status checkProgram(const QString &hostPath)
{
    const QFileInfo info(hostPath);
    if (!info.exists())
        return Status::failure(QStringLiteral("Le programme %1 est introuvable.").arg(hostPath));
    if (!info.isFile() || ::access(QFile::encodeName(hostPath).constData(), X_OK) != 0)
        return Status::failure(QStringLiteral("%1 n'est pas un programme exécutable.").arg(hostPath));
    return {};
}

} // namespace

ProcessShell::ProcessShell(const PathResolver &paths, int maxRunning)
    : m_paths(paths)
    , m_queue(std::make_unique<ProcessQueue>(maxRunning, paths.programFolder()))
{
}

ProcessShell::~ProcessShell() = default;

Result<ProcessShell::Launch> ProcessShell::resolve(const QString &commandLine) const
{
    // Lines are words joined by spaces and no path is quoted: splitting at spaces gives the words back.
    QStringList words = commandLine.split(u' ', Qt::SkipEmptyParts);
    if (words.isEmpty())
        return Result<Launch>::failure(QStringLiteral("La ligne de commande est vide."));

    // The program folder may lie in a folder whose name holds spaces: then the program is the
    // shortest run of first words that names a script or program that exists.
    const auto hostOf = [this](QString word) {
        if (word.endsWith(QStringLiteral(".exe"), Qt::CaseInsensitive))
            word.chop(4);
        return m_paths.toHost(word);
    };
    if (!QFileInfo::exists(hostOf(words.first()))) {
        for (qsizetype count = 2; count <= words.size(); ++count) {
            const QString candidate = words.mid(0, count).join(u' ');
            const bool named = candidate.endsWith(QStringLiteral(".bat"), Qt::CaseInsensitive)
                || candidate.endsWith(QStringLiteral(".exe"), Qt::CaseInsensitive);
            if (named && QFileInfo(hostOf(candidate)).isFile()) {
                words = QStringList {candidate} + words.mid(count);
                break;
            }
        }
    }

    const QString interpreter = m_paths.programFolder() + QStringLiteral("/cmd");
    const QString first = words.first();
    const QString firstName = fileNameOf(first);
    Launch launch;
    if (firstName.compare(QStringLiteral("cmd.exe"), Qt::CaseInsensitive) == 0
        || firstName.compare(QStringLiteral("cmd"), Qt::CaseInsensitive) == 0) {
        launch.program = interpreter;
        launch.arguments = QStringList {QStringLiteral("cmd")} + words.mid(1);
        launch.interpreted = true;
    } else if (first.endsWith(QStringLiteral(".bat"), Qt::CaseInsensitive)) {
        const QString script = m_paths.toHost(first);
        if (!QFileInfo(script).isFile())
            return Result<Launch>::failure(QStringLiteral("Le script %1 est introuvable.").arg(script));
        launch.program = interpreter;
        launch.arguments = QStringList {QStringLiteral("cmd"), script} + words.mid(1);
        launch.interpreted = true;
    } else {
        // "X.exe" is the program X of this machine; a path without a folder lies in the program folder.
        launch.program = hostOf(first);
        launch.arguments = QStringList {fileNameOf(launch.program)} + words.mid(1);
    }
    if (Status usable = checkProgram(launch.program); !usable)
        return Result<Launch>(usable);
    return launch;
}

namespace {

// Hands the line's program and arguments to the queue, or says why the line cannot run.
Result<std::shared_ptr<ProcessQueue::Completion>> enqueue(
    const ProcessShell &shell, ProcessQueue &queue, const QString &commandLine, bool wantCompletion)
{
    Result<ProcessShell::Launch> launch = shell.resolve(commandLine);
    if (!launch)
        return launch.status();
    if (launch->interpreted)
        return queue.enqueueServed(
            QFile::encodeName(launch->program), std::move(launch->arguments), commandLine, wantCompletion);
    QList<QByteArray> argv;
    for (const QString &argument : std::as_const(launch->arguments))
        argv.append(argument.toLocal8Bit());
    return queue.enqueue(QFile::encodeName(launch->program), argv, wantCompletion);
}

} // namespace

Status ProcessShell::start(const QString &commandLine, WindowStyle)
{
    return enqueue(*this, *m_queue, commandLine, false).status();
}

Status ProcessShell::startAndWait(const QString &commandLine, WindowStyle, int timeoutMs)
{
    auto queued = enqueue(*this, *m_queue, commandLine, true);
    if (!queued)
        return queued.status();
    auto completion = *queued;

    std::unique_lock lock(completion->mutex);
    if (!completion->changed.wait_for(
            lock, std::chrono::milliseconds(std::max(0, timeoutMs)), [&] { return completion->finished; }))
        return Status::failure(QStringLiteral("« %1 » n'était pas terminé au bout de %2 s.")
                                   .arg(commandLine)
                                   .arg(timeoutMs / 1000.0, 0, 'f', 1));
    if (!completion->failure.isEmpty())
        return Status::failure(completion->failure);
    return {};
}

void ProcessShell::pause(int milliseconds)
{
    QThread::msleep(std::max(0, milliseconds));
}

Status ProcessShell::checkSharesServed()
{
    return ::checkSharesServed(m_paths);
}

bool ProcessShell::waitForIdle(int timeoutMs)
{
    return m_queue->waitForIdle(timeoutMs);
}

int ProcessShell::peakRunning() const
{
    return m_queue->peakRunning();
}

int ProcessShell::maxRunning() const
{
    return m_queue->maxRunning();
}
