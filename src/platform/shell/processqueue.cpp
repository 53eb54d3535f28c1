#include "processqueue.h"

#include <QtGlobal>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/eventfd.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

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
    // while this program goes on, and leaving never waits for a window someone keeps open.
    std::vector<int> pids;
    for (const Child &child : std::as_const(m_children)) {
        if (child.pidfd >= 0)
            ::close(child.pidfd);
        pids.push_back(child.pid);
    }
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
        m_queue.push_back(Job {std::move(program), std::move(argv), completion});
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

bool ProcessQueue::spawn(Job &job, Child &child, QString *failure) const
{
    std::vector<char *> argv;
    argv.reserve(job.argv.size() + 1);
    for (QByteArray &arg : job.argv)
        argv.push_back(arg.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    if (!m_workingFolder.isEmpty())
        posix_spawn_file_actions_addchdir_np(&actions, m_workingFolder.constData());
#if defined(__GLIBC__) && __GLIBC_PREREQ(2, 34)
    posix_spawn_file_actions_addclosefrom_np(&actions, STDERR_FILENO + 1);
#endif

    // A session of its own: the process outlives a closed terminal and ignores its keys, as a
    // process started from a window does.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t none;
    sigemptyset(&none);
    sigset_t defaults;
    sigemptyset(&defaults);
    for (int sig : {SIGPIPE, SIGHUP, SIGINT, SIGQUIT, SIGTERM, SIGCHLD})
        sigaddset(&defaults, sig);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

    pid_t pid = -1;
    const int error = ::posix_spawn(&pid, job.program.constData(), &actions, &attributes, argv.data(), environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    if (error != 0) {
        *failure = QStringLiteral("Impossible de lancer %1 : %2")
                       .arg(QString::fromLocal8Bit(job.program), QString::fromLocal8Bit(std::strerror(error)));
        return false;
    }
    child.pid = pid;
    child.pidfd = openPidFd(pid);
    child.completion = job.completion;
    return true;
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
        m_children.removeAt(i);
        ++ended;
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
            Child child;
            QString failure;
            if (spawn(job, child, &failure)) {
                m_children.append(child);
            } else {
                qWarning("%s", qPrintable(failure));
                {
                    std::lock_guard lock(m_mutex);
                    --m_running;
                }
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
        ::poll(fds.data(), fds.size(), blind ? kFallbackPollMs : -1);
        if (m_wakeFd >= 0) {
            uint64_t count = 0;
            [[maybe_unused]] const ssize_t got = ::read(m_wakeFd, &count, sizeof count);
        }
        reapEnded();
    }
}
