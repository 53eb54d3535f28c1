#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

// Cuts a socket that stays silent past its deadline. The client library bounds the wait for a
// server's answer, but not a TLS handshake nor a read stuck inside a record: for those, shutting the
// socket down makes the blocked call return with an error at once.
class SocketWatchdog
{
public:
    SocketWatchdog() = default;
    ~SocketWatchdog();
    SocketWatchdog(const SocketWatchdog &) = delete;
    SocketWatchdog &operator=(const SocketWatchdog &) = delete;

    void arm(int fd, std::chrono::milliseconds limit);
    // True when the deadline had passed and the socket was cut.
    bool disarm();

private:
    void watch();

    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::thread m_thread;
    bool m_stopping = false;
    bool m_armed = false;
    bool m_fired = false;
    int m_fd = -1;
    std::chrono::steady_clock::time_point m_deadline;
};
