#include "servedline.h"

#include <cerrno>

#include <sys/socket.h>
#include <unistd.h>

namespace {

// Far beyond any line or environment, and small enough that a garbled length is seen at once.
constexpr qsizetype kMaxField = 64 * 1024 * 1024;
constexpr qsizetype kMaxCount = 1024 * 1024;
constexpr qsizetype kMaxDigits = 10;

void putField(QByteArray &out, const QByteArray &field)
{
    out += QByteArray::number(field.size());
    out += ':';
    out += field;
}

// Reads fields off a stream without consuming it, so that a line cut in the middle is taken again
// whole once the rest has come.
class FieldCursor
{
public:
    explicit FieldCursor(const QByteArray &stream)
        : m_stream(stream)
    {
    }

    enum class Got { Field, Incomplete, Garbled };

    Got next(QByteArray *field)
    {
        qsizetype at = m_at;
        qsizetype length = 0;
        qsizetype digits = 0;
        while (at < m_stream.size() && m_stream[at] >= '0' && m_stream[at] <= '9') {
            if (++digits > kMaxDigits)
                return Got::Garbled;
            length = length * 10 + (m_stream[at] - '0');
            ++at;
        }
        if (at >= m_stream.size())
            return Got::Incomplete;
        if (digits == 0 || m_stream[at] != ':' || length > kMaxField)
            return Got::Garbled;
        ++at;
        if (m_stream.size() - at < length)
            return Got::Incomplete;
        *field = m_stream.mid(at, length);
        m_at = at + length;
        return Got::Field;
    }

    // A count written as its decimal digits, or "-" (returned as -1) where allowed.
    Got count(qsizetype *value, bool dashAllowed)
    {
        QByteArray field;
        const Got got = next(&field);
        if (got != Got::Field)
            return got;
        if (dashAllowed && field == "-") {
            *value = -1;
            return Got::Field;
        }
        bool ok = false;
        *value = field.toLongLong(&ok);
        return ok && *value >= 0 && *value <= kMaxCount && !field.startsWith('+') ? Got::Field : Got::Garbled;
    }

    qsizetype consumed() const { return m_at; }

private:
    const QByteArray &m_stream;
    qsizetype m_at = 0;
};

Status garbled()
{
    return Status::failure(QStringLiteral("La demande reçue par l'interpréteur est illisible : elle est ignorée "
                                          "et l'interpréteur s'arrête."));
}

} // namespace

QByteArray ServedLine::encode() const
{
    QByteArray out;
    putField(out, workingFolder);
    if (environment) {
        putField(out, QByteArray::number(environment->size()));
        for (const QByteArray &entry : *environment)
            putField(out, entry);
    } else {
        putField(out, QByteArrayLiteral("-"));
    }
    putField(out, QByteArray::number(words.size()));
    for (const QString &word : words)
        putField(out, word.toUtf8());
    return out;
}

Result<std::optional<ServedLine>> ServedLine::take(QByteArray &stream)
{
    using Got = FieldCursor::Got;
    const auto outcome = [&](Got got) -> Result<std::optional<ServedLine>> {
        if (got == Got::Garbled)
            return garbled();
        return std::optional<ServedLine>();
    };
    FieldCursor cursor(stream);
    ServedLine line;
    if (Got got = cursor.next(&line.workingFolder); got != Got::Field)
        return outcome(got);
    qsizetype count = 0;
    if (Got got = cursor.count(&count, true); got != Got::Field)
        return outcome(got);
    if (count >= 0) {
        line.environment.emplace();
        for (qsizetype i = 0; i < count; ++i) {
            QByteArray entry;
            if (Got got = cursor.next(&entry); got != Got::Field)
                return outcome(got);
            line.environment->append(entry);
        }
    }
    if (Got got = cursor.count(&count, false); got != Got::Field)
        return outcome(got);
    for (qsizetype i = 0; i < count; ++i) {
        QByteArray word;
        if (Got got = cursor.next(&word); got != Got::Field)
            return outcome(got);
        line.words.append(QString::fromUtf8(word));
    }
    stream.remove(0, cursor.consumed());
    return std::optional<ServedLine>(std::move(line));
}

QByteArray ServedLine::answer(int exitCode)
{
    return QByteArray::number(exitCode) + '\n';
}

Result<std::optional<int>> ServedLine::takeAnswer(QByteArray &stream)
{
    const qsizetype end = stream.indexOf('\n');
    if (end < 0) {
        if (stream.size() > kMaxDigits + 1)
            return Result<std::optional<int>>::failure(QStringLiteral("La réponse de l'interpréteur est illisible."));
        return std::optional<int>();
    }
    bool ok = false;
    const int code = stream.left(end).toInt(&ok);
    if (!ok)
        return Result<std::optional<int>>::failure(QStringLiteral("La réponse de l'interpréteur est illisible."));
    stream.remove(0, end + 1);
    return std::optional<int>(code);
}

bool ServedLine::sendAll(int fd, const QByteArray &bytes)
{
    qsizetype sent = 0;
    while (sent < bytes.size()) {
        ssize_t done = ::send(fd, bytes.constData() + sent, size_t(bytes.size() - sent), MSG_NOSIGNAL);
        if (done < 0 && errno == ENOTSOCK)
            done = ::write(fd, bytes.constData() + sent, size_t(bytes.size() - sent));
        if (done < 0 && errno == EINTR)
            continue;
        if (done <= 0)
            return false;
        sent += done;
    }
    return true;
}
