#include "processqueue.h"

#include "servinginterpreter.h"
#include "sessionspawn.h"

#include <QtGlobal>

#include <algorithm>
#include <cerrno>
#include <chrono>

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// A descriptor that becomes readable when the process ends, so the worker sleeps in poll() instead
// of polling; -1 where the kernel cannot give one (the worker then looks every few milliseconds).
int openPidFd(int pid)
{
#ifdef SYS_pidfd_open
    const long fd = ::syscall(SYS_pidfd_open, pid, 0);
    return fd < 0 ? -1 : int(fd);
#else
    Q_UNUSED(pid);
    return -1;
#endif
}

constexpr int kFallbackPollMs = 5;

// Where this program's standard output and error go now. A serving interpreter keeps those it
// started with, while a process started now would write where they go now.
QByteArray currentOutputs()
{
    QByteArray outputs;
    for (int fd : {STDOUT_FILENO, STDERR_FILENO}) {
        struct stat status
        {
        };
        if (::fstat(fd, &status) == 0)
            outputs += QByteArray::number(quint64(status.st_dev)) + ':' + QByteArray::number(quint64(status.st_ino));
        outputs += '/';
    }
    return outputs;
}
constexpr std::size_t kNone = std::size_t(-1);

} // namespace

ProcessQueue::ProcessQueue(int maxRunning, QString workingFolder)
    : m_maxRunning(std::max(1, maxRunning))
    , m_workingFolder(workingFolder.toLocal8Bit())
{
    m_wakeFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    m_worker = std::thread([this] { run(); });
}

ProcessQueue::~ProcessQueue()
{
    // Every queued line still starts: a window may have queued thousands just before the program
    // ends, and none may be lost. Processes still running are left to end on their own.
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    wake();
    m_worker.join();
    // Whatever still runs is reaped by a thread of its own, so that no process is left a zombie
    // while this program goes on, and leaving never waits for a window someone keeps open. The
    // serving interpreters end once their stream is closed and their line, if any, is over.
    std::vector<int> pids;
    for (const Child &child : std::as_const(m_children)) {
        if (child.pidfd >= 0)
            ::close(child.pidfd);
        pids.push_back(child.pid);
    }
    for (Server &server : m_servers) {
        if (server.pidfd >= 0)
            ::close(server.pidfd);
        pids.push_back(server.interpreter->pid());
    }
    m_servers.clear();
    if (!pids.empty()) {
        std::thread([pids] {
            for (int pid : pids) {
                while (::waitpid(pid, nullptr, 0) < 0 && errno == EINTR) { }
            }
        }).detach();
    }
    if (m_wakeFd >= 0)
        ::close(m_wakeFd);
}

std::shared_ptr<ProcessQueue::Completion> ProcessQueue::enqueue(
    QByteArray program, QList<QByteArray> argv, bool wantCompletion)
{
    auto completion = wantCompletion ? std::make_shared<Completion>() : nullptr;
    {
        std::lock_guard lock(m_mutex);
        Job job;
        job.program = std::move(program);
        job.argv = std::move(argv);
        job.completion = completion;
        m_queue.push_back(std::move(job));
    }
    wake();
    return completion;
}

std::shared_ptr<ProcessQueue::Completion> ProcessQueue::enqueueServed(
    QByteArray interpreter, QStringList words, QString line, bool wantCompletion)
{
    auto completion = wantCompletion ? std::make_shared<Completion>() : nullptr;
    {
        std::lock_guard lock(m_mutex);
        Job job;
        job.program = std::move(interpreter);
        job.completion = completion;
        job.served = true;
        job.words = std::move(words);
        job.line = std::move(line);
        m_queue.push_back(std::move(job));
    }
    wake();
    return completion;
}

bool ProcessQueue::waitForIdle(int timeoutMs)
{
    std::unique_lock lock(m_mutex);
    return m_idle.wait_for(
        lock, std::chrono::milliseconds(timeoutMs), [this] { return m_queue.empty() && m_running == 0; });
}

int ProcessQueue::peakRunning() const
{
    std::lock_guard lock(m_mutex);
    return m_peak;
}

void ProcessQueue::wake() const
{
    if (m_wakeFd < 0)
        return;
    const uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = ::write(m_wakeFd, &one, sizeof one);
}

void ProcessQueue::finish(const std::shared_ptr<Completion> &completion, const QString &failure)
{
    if (!completion)
        return;
    {
        std::lock_guard lock(completion->mutex);
        completion->finished = true;
        completion->failure = failure;
    }
    completion->changed.notify_all();
}

void ProcessQueue::lineEnded()
{
    std::lock_guard lock(m_mutex);
    --m_running;
}

bool ProcessQueue::spawn(Job &job, Child &child, QString *failure) const
{
    Result<int> pid = spawnInSession(job.program, std::move(job.argv), m_workingFolder);
    if (!pid) {
        *failure = pid.message();
        return false;
    }
    child.pid = *pid;
    child.pidfd = openPidFd(*pid);
    child.completion = job.completion;
    return true;
}

std::size_t ProcessQueue::idleServerFor(const QByteArray &program, const QByteArray &outputs)
{
    // One that writes where this program's output no longer goes is let go: it would put the line's
    // messages elsewhere than a process started now.
    for (std::size_t i = m_servers.size(); i-- > 0;) {
        if (!m_servers[i].busy && m_servers[i].outputs != outputs)
            letServerGo(i);
    }
    for (std::size_t i = 0; i < m_servers.size(); ++i) {
        if (!m_servers[i].busy && m_servers[i].interpreter->program() == program)
            return i;
    }
    // Fewer lines run than the bound allows, so no more than the bound are busy: when the bound is
    // reached, one of the idle ones runs another program and makes room.
    if (m_servers.size() >= std::size_t(m_maxRunning)) {
        for (std::size_t i = 0; i < m_servers.size(); ++i) {
            if (!m_servers[i].busy) {
                letServerGo(i);
                break;
            }
        }
    }
    return kNone;
}

void ProcessQueue::letServerGo(std::size_t index)
{
    // Closing its streams ends it; it is reaped with the other processes, and no line waits for it.
    Server &server = m_servers[index];
    m_children.append(Child {server.interpreter->pid(), server.pidfd, nullptr, false});
    m_servers.erase(m_servers.begin() + std::ptrdiff_t(index));
}

bool ProcessQueue::serve(Job &job, QString *failure)
{
    // An interpreter that died while it waited has not taken the line: a new one takes it.
    const QByteArray outputs = currentOutputs();
    for (int attempt = 0; attempt < 2; ++attempt) {
        std::size_t index = idleServerFor(job.program, outputs);
        if (index == kNone) {
            auto started = ServingInterpreter::start(job.program, m_workingFolder);
            if (!started) {
                *failure = started.message();
                return false;
            }
            const int pidfd = openPidFd((*started)->pid());
            Server server;
            server.interpreter = std::move(*started);
            server.outputs = outputs;
            server.pidfd = pidfd;
            m_servers.push_back(std::move(server));
            index = m_servers.size() - 1;
        }
        Server &server = m_servers[index];
        if (server.interpreter->send(m_workingFolder, job.words)) {
            server.busy = true;
            server.completion = job.completion;
            server.line = job.line;
            return true;
        }
        letServerGo(index);
    }
    *failure = QStringLiteral("L'interpréteur de commandes n'a pas pu recevoir « %1 » : la ligne n'est pas lancée.")
                   .arg(job.line);
    return false;
}

void ProcessQueue::hearServer(std::size_t index)
{
    Server &server = m_servers[index];
    const ServingInterpreter::Heard heard = server.interpreter->hear();
    if (heard == ServingInterpreter::Heard::Nothing)
        return;
    if (server.busy) {
        QString failure;
        if (heard == ServingInterpreter::Heard::Gone) {
            failure = QStringLiteral("L'interpréteur de commandes s'est arrêté avant la fin de « %1 » : la ligne a "
                                     "échoué.")
                          .arg(server.line);
            qWarning("%s", qPrintable(failure));
        }
        finish(server.completion, failure);
        server.busy = false;
        server.completion.reset();
        server.line.clear();
        lineEnded();
    }
    if (heard == ServingInterpreter::Heard::Gone)
        letServerGo(index);
}

void ProcessQueue::reapEnded()
{
    int ended = 0;
    for (qsizetype i = m_children.size() - 1; i >= 0; --i) {
        Child &child = m_children[i];
        int status = 0;
        const pid_t reaped = ::waitpid(child.pid, &status, WNOHANG);
        if (reaped == 0 || (reaped < 0 && errno == EINTR))
            continue;
        // Reaped, or no longer ours to reap (ECHILD): either way it is over.
        if (child.pidfd >= 0)
            ::close(child.pidfd);
        finish(child.completion, {});
        if (child.runsLine)
            ++ended;
        m_children.removeAt(i);
    }
    if (ended > 0) {
        std::lock_guard lock(m_mutex);
        m_running -= ended;
    }
}

void ProcessQueue::run()
{
    std::vector<pollfd> fds;
    for (;;) {
        // Start, in order, whatever the bound leaves room for.
        for (;;) {
            Job job;
            {
                std::lock_guard lock(m_mutex);
                if (m_queue.empty() || m_running >= m_maxRunning)
                    break;
                job = std::move(m_queue.front());
                m_queue.pop_front();
                ++m_running;
                m_peak = std::max(m_peak, m_running);
            }
            QString failure;
            bool started = false;
            if (job.served) {
                started = serve(job, &failure);
            } else {
                Child child;
                started = spawn(job, child, &failure);
                if (started)
                    m_children.append(child);
            }
            if (!started) {
                qWarning("%s", qPrintable(failure));
                lineEnded();
                finish(job.completion, failure);
            }
        }

        {
            std::lock_guard lock(m_mutex);
            if (m_queue.empty() && m_running == 0)
                m_idle.notify_all();
            if (m_stopping && m_queue.empty())
                return;
        }

        fds.clear();
        fds.push_back(pollfd {m_wakeFd, POLLIN, 0});
        bool blind = m_wakeFd < 0;
        for (const Child &child : std::as_const(m_children)) {
            if (child.pidfd >= 0)
                fds.push_back(pollfd {child.pidfd, POLLIN, 0});
            else
                blind = true;
        }
        // Every interpreter is heard, an idle one too: one that died is let go before it is given a line.
        const std::size_t firstServer = fds.size();
        for (const Server &server : m_servers)
            fds.push_back(pollfd {server.interpreter->answerFd(), POLLIN, 0});
        ::poll(fds.data(), fds.size(), blind ? kFallbackPollMs : -1);
        if (m_wakeFd >= 0) {
            uint64_t count = 0;
            [[maybe_unused]] const ssize_t got = ::read(m_wakeFd, &count, sizeof count);
        }
        for (std::size_t i = m_servers.size(); i-- > 0;) {
            if (fds[firstServer + i].revents != 0)
                hearServer(i);
        }
        reapEnded();
    }
}
