#include "journalfile.h"

#include "text/cp1252.h"
#include "text/pathresolver.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>
#include <cerrno>
#include <utility>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

constexpr QFileDevice::Permissions kOwnerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
constexpr QFileDevice::Permissions kOwnerFolder = kOwnerOnly | QFileDevice::ExeOwner;
// Runs started within one second of each other; beyond this something else is wrong.
constexpr int kNameAttempts = 100;

// The journal folder, made when missing, closed to everyone but its owner.
Status prepareFolder(const PathResolver &paths)
{
    const QString host = paths.toHost(JournalFile::folder(paths));
    if (!QDir().mkpath(host))
        return Status::failure(QStringLiteral("Impossible de créer le dossier %1.").arg(JournalFile::folder(paths)));
    // A folder made by another administrator stays as it is: its journals are closed to others all the same.
    if ((QFile::permissions(host) & ~kOwnerFolder) && QFileInfo(host).ownerId() == ::getuid())
        QFile::setPermissions(host, kOwnerFolder);
    return {};
}

QString oneLine(const QString &text)
{
    QString line = text;
    for (QChar &c : line) {
        if (c.unicode() < 32 || c.unicode() == 127)
            c = u' ';
    }
    return line;
}

} // namespace

struct JournalFile::Open
{
    QString windowsPath;
    TextWriter writer;
};

JournalFile::JournalFile(std::unique_ptr<Open> open)
    : m_open(std::move(open))
{
}

JournalFile::JournalFile(JournalFile &&) noexcept = default;
JournalFile &JournalFile::operator=(JournalFile &&) noexcept = default;

JournalFile::~JournalFile()
{
    // Closing lets the lock go; what was written is on disk already.
    if (m_open)
        (void)m_open->writer.close();
}

QString JournalFile::folder(const PathResolver &paths)
{
    return paths.programFolder() + QStringLiteral("\\journal");
}

QString JournalFile::stamp(const QDateTime &when)
{
    return when.toString(QStringLiteral("yyyyMMdd-HHmmss"));
}

Result<JournalFile> JournalFile::opened(
    const QString &windowsPath, const QString &hostPath, TextWriter::Mode mode, bool lock)
{
    auto open = std::make_unique<Open>();
    open->windowsPath = windowsPath;
    if (Status s = open->writer.open(hostPath, mode, kOwnerOnly); !s)
        return s;
    if (lock && ::flock(open->writer.handle(), LOCK_EX | LOCK_NB) != 0)
        return Status::failure(
            QStringLiteral("Le journal %1 est en cours d'écriture par un autre Velmar.").arg(windowsPath));
    // A journal made by an earlier version, or copied in, is closed to others too.
    if ((QFile::permissions(hostPath) & ~kOwnerOnly) && !QFile::setPermissions(hostPath, kOwnerOnly))
        return Status::failure(
            QStringLiteral("Impossible de réserver le journal %1 à son propriétaire.").arg(windowsPath));
    return JournalFile(std::move(open));
}

Result<JournalFile> JournalFile::create(const PathResolver &paths, const QString &prefix, const QDateTime &when)
{
    if (Status s = prepareFolder(paths); !s)
        return s;
    const QString base = folder(paths) + u'\\' + prefix + u'-' + stamp(when);
    for (int attempt = 1; attempt <= kNameAttempts; ++attempt) {
        const QString windowsPath
            = base + (attempt == 1 ? QString() : u'-' + QString::number(attempt)) + QStringLiteral(".txt");
        const QString host = paths.toHost(windowsPath);
        if (QFileInfo::exists(host))
            continue;
        auto made = opened(windowsPath, host, TextWriter::Mode::CreateNew, true);
        // Another run may have taken the name in between: the next one is tried.
        if (made || !QFileInfo::exists(host))
            return made;
    }
    return Status::failure(QStringLiteral("Aucun nom libre pour un journal %1 dans %2.").arg(base, folder(paths)));
}

Result<JournalFile> JournalFile::reopen(const PathResolver &paths, const QString &windowsPath)
{
    const QString host = paths.toHost(windowsPath);
    QFile file(host);
    if (!file.open(QIODevice::ReadWrite))
        return Status::failure(
            QStringLiteral("Impossible de rouvrir le journal %1 : %2").arg(windowsPath, file.errorString()));
    // Cut after the last whole line, under the lock of the run that goes on.
    auto journal = opened(windowsPath, host, TextWriter::Mode::Append, true);
    if (!journal)
        return journal;
    const QByteArray bytes = file.readAll();
    const qsizetype lastEnd = bytes.lastIndexOf("\r\n");
    const qsizetype whole = lastEnd < 0 ? 0 : lastEnd + 2;
    if (whole < bytes.size() && !file.resize(whole))
        return Status::failure(
            QStringLiteral("Impossible de rouvrir le journal %1 : %2").arg(windowsPath, file.errorString()));
    return journal;
}

Result<JournalFile> JournalFile::append(const PathResolver &paths, const QString &name)
{
    if (Status s = prepareFolder(paths); !s)
        return s;
    const QString windowsPath = folder(paths) + u'\\' + name;
    return opened(windowsPath, paths.toHost(windowsPath), TextWriter::Mode::Append, false);
}

const QString &JournalFile::windowsPath() const
{
    return m_open->windowsPath;
}

Status JournalFile::writeLine(const QString &line)
{
    m_open->writer.writeLine(oneLine(line));
    return m_open->writer.flush();
}

QStringList JournalFile::list(const PathResolver &paths, const QString &prefix)
{
    const QString host = paths.toHost(folder(paths));
    QStringList names = QDir(host).entryList({prefix + QStringLiteral("-*.txt")}, QDir::Files, QDir::Name);
    // "x-20260901-083005-2.txt" comes after "x-20260901-083005.txt", which the names alone would not say.
    static const QRegularExpression counted(QStringLiteral("^(.*)-(\\d+)\\.txt$"));
    static const QRegularExpression stamped(QStringLiteral("-\\d{8}-\\d{6}$"));
    auto order = [](const QString &name) {
        const auto match = counted.match(name);
        if (match.hasMatch() && stamped.match(match.captured(1)).hasMatch())
            return std::pair(match.captured(1), match.captured(2).toLongLong());
        return std::pair(name.chopped(4), 1LL);
    };
    std::stable_sort(
        names.begin(), names.end(), [&order](const QString &a, const QString &b) { return order(a) < order(b); });
    QStringList journals;
    for (const QString &name : std::as_const(names))
        journals << folder(paths) + u'\\' + name;
    return journals;
}

Result<QStringList> JournalFile::readLines(const PathResolver &paths, const QString &windowsPath)
{
    QFile file(paths.toHost(windowsPath));
    if (!file.open(QIODevice::ReadOnly))
        return Status::failure(
            QStringLiteral("Impossible de lire le journal %1 : %2").arg(windowsPath, file.errorString()));
    const QByteArray bytes = file.readAll();
    QStringList lines = Cp1252::decode(bytes).split(QStringLiteral("\r\n"));
    // What follows the last line end is either nothing or a line that a stop cut short.
    lines.removeLast();
    return lines;
}

QString JournalFile::lastLine(const PathResolver &paths, const QString &windowsPath)
{
    // Longer than any line that ends a run.
    constexpr qint64 kTail = 256;
    QFile file(paths.toHost(windowsPath));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const qint64 from = qMax<qint64>(0, file.size() - kTail);
    if (!file.seek(from))
        return {};
    QByteArray tail = file.readAll();
    // What follows the last line end is a line a stop cut short.
    const qsizetype end = tail.lastIndexOf("\r\n");
    if (end < 0)
        return {};
    tail.truncate(end);
    const qsizetype start = tail.lastIndexOf("\r\n");
    if (start < 0 && from > 0)
        return {};
    return Cp1252::decode(start < 0 ? tail : tail.mid(start + 2));
}

bool JournalFile::inUse(const PathResolver &paths, const QString &windowsPath)
{
    const int fd = ::open(QFile::encodeName(paths.toHost(windowsPath)).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool held = ::flock(fd, LOCK_SH | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    ::close(fd);
    return held;
}
