#include "filesharestore.h"

#include "text/cp1252.h"
#include "text/fieldreader.h"
#include "text/textwriter.h"

#include <QFile>

#include <algorithm>
#include <cstring>

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

Result<QByteArray> FileShareStore::readBytes() const
{
    QFile file(m_file);
    if (!file.exists())
        return QByteArray();
    if (!file.open(QIODevice::ReadOnly))
        return Result<QByteArray>::failure(
            QStringLiteral("Impossible de lire la liste des partages %1 : %2").arg(m_file, file.errorString()));
    return file.readAll();
}

QList<QByteArray> FileShareStore::lines(const QByteArray &bytes)
{
    // Line by line, so that a blank or short line cannot shift the records after it.
    QList<QByteArray> found;
    for (QByteArray line : bytes.split('\n')) {
        if (line.endsWith('\r'))
            line.chop(1);
        if (!line.trimmed().isEmpty())
            found.append(line);
    }
    return found;
}

QString FileShareStore::nameOf(const QByteArray &line)
{
    // Only the first field: a change looks at every name, and the list may hold thousands.
    qsizetype start = 0;
    while (start < line.size() && line[start] == ' ')
        ++start;
    qsizetype stop;
    if (start < line.size() && line[start] == '"') {
        ++start;
        stop = line.indexOf('"', start);
    } else {
        stop = line.indexOf(',', start);
    }
    if (stop < 0)
        stop = line.size();
    return Cp1252::decode(line.mid(start, stop - start));
}

std::optional<QString> FileShareStore::nameTaken(const QByteArray &bytes, const QString &name)
{
    // A school's thousands of personal shares are all checked against the list before each new one,
    // so this runs over the whole list for every share: a name in plain ASCII, as logins are, is
    // compared with each line's first field in place, without regard to case and without making a
    // copy of the list. No other character of the list matches an ASCII letter in any case.
    const bool plain = std::all_of(name.cbegin(), name.cend(), [](QChar c) { return c >= u' ' && c < u'\x7f'; });
    if (!plain || name.isEmpty()) {
        for (const QByteArray &line : lines(bytes)) {
            const QString existing = nameOf(line);
            if (existing.compare(name, Qt::CaseInsensitive) == 0)
                return existing;
        }
        return std::nullopt;
    }
    const QByteArray needle = name.toLatin1();
    const char *const data = bytes.constData();
    const qsizetype size = bytes.size();
    const auto find = [data](qsizetype from, qsizetype to, char c) {
        const void *found = std::memchr(data + from, c, size_t(to - from));
        return found ? static_cast<const char *>(found) - data : to;
    };
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
    const auto sameAscii = [&lower](const char *text, const QByteArray &ascii) {
        for (qsizetype i = 0; i < ascii.size(); ++i) {
            if (lower(text[i]) != lower(ascii[i]))
                return false;
        }
        return true;
    };
    for (qsizetype start = 0; start < size;) {
        const qsizetype end = find(start, size, '\n');
        qsizetype lineEnd = end;
        if (lineEnd > start && data[lineEnd - 1] == '\r')
            --lineEnd;
        // The first field, as nameOf() reads it.
        qsizetype first = start;
        while (first < lineEnd && data[first] == ' ')
            ++first;
        qsizetype last;
        if (first < lineEnd && data[first] == '"') {
            ++first;
            last = find(first, lineEnd, '"');
        } else {
            last = find(first, lineEnd, ',');
        }
        if (last - first == needle.size() && sameAscii(data + first, needle))
            return Cp1252::decode(bytes.mid(first, last - first));
        start = end + 1;
    }
    return std::nullopt;
}

Result<QList<Share>> FileShareStore::read() const
{
    auto bytes = readBytes();
    if (!bytes)
        return Result<QList<Share>>(bytes.status());
    QList<Share> shares;
    for (const QByteArray &line : lines(*bytes)) {
        FieldReader fields(line);
        const QStringList record = fields.record(4);
        if (!record[0].isEmpty())
            shares.append(Share {record[0], record[1], record[2], record[3]});
    }
    return shares;
}

Status FileShareStore::write(const QList<QByteArray> &lines) const
{
    return replaceFileWithEncodedLines(m_file, lines);
}

Status FileShareStore::add(const Share &share)
{
    if (Status text = share.checkText(); !text)
        return text;
    FileLock lock(m_lockFile, true);
    if (!lock.held())
        return lockFailure(m_lockFile);
    auto bytes = readBytes();
    if (!bytes)
        return bytes.status();
    if (const std::optional<QString> existing = nameTaken(*bytes, share.name))
        return Status::failure(QStringLiteral("Le nom « %1 » est déjà partagé.").arg(*existing));
    QString remark = share.remark;
    remark.remove(u'"'); // a quote would end the field early
    const QString record
        = QStringList {quoted(share.name), quoted(share.path), quoted(share.hostPath), quoted(remark)}.join(u',');
    // A new share is one line appended under the lock: rewriting the whole list for each of a
    // school's thousands of personal shares made every share slower than the one before. A list whose
    // last line was cut off is written anew instead, which mends it.
    if (!bytes->isEmpty() && !bytes->endsWith('\n')) {
        QList<QByteArray> kept = lines(*bytes);
        kept.append(Cp1252::encode(record));
        return write(kept);
    }
    return appendLines(m_file, {record});
}

Status FileShareStore::remove(const QString &name)
{
    FileLock lock(m_lockFile, true);
    if (!lock.held())
        return lockFailure(m_lockFile);
    auto bytes = readBytes();
    if (!bytes)
        return bytes.status();
    QList<QByteArray> kept = lines(*bytes);
    const qsizetype before = kept.size();
    kept.removeIf([&](const QByteArray &line) { return nameOf(line).compare(name, Qt::CaseInsensitive) == 0; });
    if (kept.size() == before)
        return Status::failure(QStringLiteral("Le partage « %1 » n'existe pas.").arg(name));
    return write(kept);
}

Result<QList<Share>> FileShareStore::list() const
{
    FileLock lock(m_lockFile, false);
    if (!lock.held())
        return Result<QList<Share>>(lockFailure(m_lockFile));
    return read();
}
