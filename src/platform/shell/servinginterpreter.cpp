#include "servinginterpreter.h"

#include "cmd/servedline.h"
#include "sessionspawn.h"

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

extern char **environ;

namespace {

QList<QByteArray> currentEnvironment(QByteArray *joined)
{
    QList<QByteArray> entries;
    joined->clear();
    for (char **entry = environ; entry && *entry; ++entry) {
        entries.append(QByteArray(*entry));
        *joined += entries.last();
        *joined += '\0';
    }
    return entries;
}

void closeFd(int &fd)
{
    if (fd >= 0)
        ::close(fd);
    fd = -1;
}

} // namespace

ServingInterpreter::ServingInterpreter(QByteArray program, int pid, int requestFd, int answerFd)
    : m_program(std::move(program))
    , m_pid(pid)
    , m_requestFd(requestFd)
    , m_answerFd(answerFd)
{
}

ServingInterpreter::~ServingInterpreter()
{
    closeFd(m_requestFd);
    closeFd(m_answerFd);
}

Result<std::unique_ptr<ServingInterpreter>> ServingInterpreter::start(
    const QByteArray &program, const QByteArray &workingFolder)
{
    using Made = Result<std::unique_ptr<ServingInterpreter>>;
    // Sockets rather than pipes: a write to an interpreter that has just died is then a failure to
    // read, not a signal that would end this program.
    int requests[2];
    int answers[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, requests) != 0)
        return Made::failure(QStringLiteral("Impossible de préparer l'interpréteur de commandes : %1")
                                 .arg(QString::fromLocal8Bit(std::strerror(errno))));
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, answers) != 0) {
        const int error = errno;
        ::close(requests[0]);
        ::close(requests[1]);
        return Made::failure(QStringLiteral("Impossible de préparer l'interpréteur de commandes : %1")
                                 .arg(QString::fromLocal8Bit(std::strerror(error))));
    }
    Result<int> pid = spawnInSession(program,
        {QByteArrayLiteral("cmd"), QByteArrayLiteral("/servir"), QByteArray::number(kSpawnedOutputFd)}, workingFolder,
        requests[1], answers[1]);
    ::close(requests[1]);
    ::close(answers[1]);
    if (!pid) {
        ::close(requests[0]);
        ::close(answers[0]);
        return Made(pid.status());
    }
    ::fcntl(answers[0], F_SETFL, ::fcntl(answers[0], F_GETFL) | O_NONBLOCK);
    return std::unique_ptr<ServingInterpreter>(new ServingInterpreter(program, *pid, requests[0], answers[0]));
}

bool ServingInterpreter::send(const QByteArray &workingFolder, const QStringList &words)
{
    ServedLine line;
    line.workingFolder = workingFolder;
    line.words = words;
    QByteArray joined;
    QList<QByteArray> environment = currentEnvironment(&joined);
    if (!m_environmentSent || joined != m_environment)
        line.environment = std::move(environment);
    if (!ServedLine::sendAll(m_requestFd, line.encode()))
        return false;
    m_environment = joined;
    m_environmentSent = true;
    return true;
}

ServingInterpreter::Heard ServingInterpreter::hear()
{
    char buffer[256];
    bool closed = false;
    for (;;) {
        const ssize_t got = ::read(m_answerFd, buffer, sizeof buffer);
        if (got > 0) {
            m_heard.append(buffer, got);
            continue;
        }
        if (got < 0 && errno == EINTR)
            continue;
        closed = !(got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)); // ended, or unreadable
        break;
    }
    // An answer that came just before the end still ends its line well; the next call says it is gone.
    auto answer = ServedLine::takeAnswer(m_heard);
    if (!answer)
        return Heard::Gone;
    // One line at a time is handed over: anything after its answer is a fault of the interpreter.
    if (*answer) {
        m_exitCode = **answer;
        return m_heard.isEmpty() ? Heard::Ended : Heard::Gone;
    }
    return closed ? Heard::Gone : Heard::Nothing;
}
