#include "filesharestore.h"

#include "text/fieldreader.h"
#include "text/textwriter.h"

#include <QFile>

#include <cerrno>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

// Holds a lock on a file for the life of the object: shared for readers, exclusive for writers.
class FileLock
{
public:
    FileLock(const QString &path, bool exclusive)
    {
        m_fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
        if (m_fd < 0)
            return;
        int done;
        do
            done = ::flock(m_fd, exclusive ? LOCK_EX : LOCK_SH);
        while (done != 0 && errno == EINTR);
        if (done != 0) {
            ::close(m_fd);
            m_fd = -1;
        }
    }
    ~FileLock()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    FileLock(const FileLock &) = delete;
    FileLock &operator=(const FileLock &) = delete;

    bool held() const { return m_fd >= 0; }

private:
    int m_fd = -1;
};

QString quoted(const QString &field)
{
    return u'"' + field + u'"';
}

Status lockFailure(const QString &lockFile)
{
    return Status::failure(QStringLiteral("Impossible de verrouiller la liste des partages (%1).").arg(lockFile));
}

} // namespace

FileShareStore::FileShareStore(QString programFolder)
    : m_file(programFolder + QStringLiteral("/partages.txt"))
    , m_lockFile(programFolder + QStringLiteral("/partages.lck"))
{
}

Result<QList<Share>> FileShareStore::read() const
{
    QList<Share> shares;
    QFile file(m_file);
    if (!file.exists())
        return shares;
    if (!file.open(QIODevice::ReadOnly))
        return Result<QList<Share>>::failure(
            QStringLiteral("Impossible de lire la liste des partages %1 : %2").arg(m_file, file.errorString()));
    // Line by line, so that a blank or short line cannot shift the records after it.
    const QList<QByteArray> lines = file.readAll().split('\n');
    for (QByteArray line : lines) {
        if (line.endsWith('\r'))
            line.chop(1);
        if (line.trimmed().isEmpty())
            continue;
        FieldReader fields(line);
        const QStringList record = fields.record(4);
        if (record[0].isEmpty())
            continue;
        shares.append(Share {record[0], record[1], record[2], record[3]});
    }
    return shares;
}

Status FileShareStore::write(const QList<Share> &shares) const
{
    QStringList lines;
    lines.reserve(shares.size());
    for (const Share &share : shares) {
        lines.append(
            QStringList {quoted(share.name), quoted(share.path), quoted(share.hostPath), quoted(share.remark)}.join(
                u','));
    }
    return replaceFile(m_file, lines);
}

Status FileShareStore::add(const Share &share)
{
    FileLock lock(m_lockFile, true);
    if (!lock.held())
        return lockFailure(m_lockFile);
    auto shares = read();
    if (!shares)
        return shares.status();
    for (const Share &existing : std::as_const(*shares)) {
        if (existing.name.compare(share.name, Qt::CaseInsensitive) == 0)
            return Status::failure(QStringLiteral("Le nom « %1 » est déjà partagé.").arg(existing.name));
    }
    Share added = share;
    added.remark.remove(u'"'); // a quote would end the field early
    shares->append(added);
    return write(*shares);
}

Status FileShareStore::remove(const QString &name)
{
    FileLock lock(m_lockFile, true);
    if (!lock.held())
        return lockFailure(m_lockFile);
    auto shares = read();
    if (!shares)
        return shares.status();
    const qsizetype before = shares->size();
    shares->removeIf([&](const Share &share) { return share.name.compare(name, Qt::CaseInsensitive) == 0; });
    if (shares->size() == before)
        return Status::failure(QStringLiteral("Le partage « %1 » n'existe pas.").arg(name));
    return write(*shares);
}

Result<QList<Share>> FileShareStore::list() const
{
    FileLock lock(m_lockFile, false);
    if (!lock.held())
        return Result<QList<Share>>(lockFailure(m_lockFile));
    return read();
}
