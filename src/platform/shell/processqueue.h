#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

class ServingInterpreter;

// Starts programs of this machine as detached processes, at most a fixed number at once, in the order
// they were asked for, and reaps every one of them. Lines for the program folder's interpreter go to
// interpreters kept serving for the queue's life (no more of them than the bound, started on
// demand) instead of a process each: starting one costs far more than most lines do. A worker
// thread does the starting and the waiting, so lines queued by a window that never returns to its
// event loop still run.
class ProcessQueue
{
public:
    // What a caller that waits for a line learns about it.
    struct Completion
    {
        std::mutex mutex;
        std::condition_variable changed;
        bool finished = false;
        QString failure; // set when the process could not be started, or its interpreter died in it
    };

    ProcessQueue(int maxRunning, QString workingFolder);
    ~ProcessQueue();
    ProcessQueue(const ProcessQueue &) = delete;
    ProcessQueue &operator=(const ProcessQueue &) = delete;

    // Queues a program with its arguments (argv[0] included) and returns at once. The completion,
    // when asked for, is marked finished once the process has ended or failed to start.
    std::shared_ptr<Completion> enqueue(QByteArray program, QList<QByteArray> argv, bool wantCompletion);
    // Queues a line for a serving interpreter of that program (words: argv[0] first; line: the line
    // as given, for the messages). It is marked finished when the line has run, or failed when the
    // interpreter died in it.
    std::shared_ptr<Completion> enqueueServed(
        QByteArray interpreter, QStringList words, QString line, bool wantCompletion);

    // Waits until nothing is queued and nothing runs; false when timeoutMs passed first.
    bool waitForIdle(int timeoutMs);
    int peakRunning() const;
    int maxRunning() const { return m_maxRunning; }

private:
    struct Job
    {
        QByteArray program;
        QList<QByteArray> argv;
        std::shared_ptr<Completion> completion;
        bool served = false;
        QStringList words; // served lines
        QString line;
    };
    struct Child
    {
        int pid = -1;
        int pidfd = -1;
        std::shared_ptr<Completion> completion;
        bool runsLine = true; // else a serving interpreter that is being let go
    };
    struct Server
    {
        std::unique_ptr<ServingInterpreter> interpreter;
        QByteArray outputs; // where its standard output and error went when it started
        int pidfd = -1;
        bool busy = false;
        std::shared_ptr<Completion> completion;
        QString line;
    };

    void run();
    bool spawn(Job &job, Child &child, QString *failure) const;
    bool serve(Job &job, QString *failure);
    std::size_t idleServerFor(const QByteArray &program, const QByteArray &outputs);
    void letServerGo(std::size_t index);
    void hearServer(std::size_t index);
    void lineEnded();
    void reapEnded();
    void wake() const;
    static void finish(const std::shared_ptr<Completion> &completion, const QString &failure);

    const int m_maxRunning;
    const QByteArray m_workingFolder;
    int m_wakeFd = -1;

    mutable std::mutex m_mutex;
    std::condition_variable m_idle;
    std::deque<Job> m_queue;
    int m_running = 0;
    int m_peak = 0;
    bool m_stopping = false;

    // Touched by the worker thread only.
    QList<Child> m_children;
    std::vector<Server> m_servers;

    std::thread m_worker;
};
