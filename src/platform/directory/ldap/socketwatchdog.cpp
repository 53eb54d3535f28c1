#include "socketwatchdog.h"

#include <sys/socket.h>

SocketWatchdog::~SocketWatchdog()
{
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_changed.notify_all();
    if (m_thread.joinable())
        m_thread.join();
}

void SocketWatchdog::arm(int fd, std::chrono::milliseconds limit)
{
    {
        std::lock_guard lock(m_mutex);
        m_fd = fd;
        m_deadline = std::chrono::steady_clock::now() + limit;
        m_armed = fd >= 0;
        m_fired = false;
        if (!m_thread.joinable())
            m_thread = std::thread(&SocketWatchdog::watch, this);
    }
    m_changed.notify_all();
}

bool SocketWatchdog::disarm()
{
    std::lock_guard lock(m_mutex);
    m_armed = false;
    m_fd = -1;
    return m_fired;
}

void SocketWatchdog::watch()
{
    std::unique_lock lock(m_mutex);
    while (!m_stopping) {
        if (!m_armed) {
            m_changed.wait(lock);
            continue;
        }
        if (std::chrono::steady_clock::now() < m_deadline) {
            m_changed.wait_until(lock, m_deadline);
            continue;
        }
        // The socket is only touched while armed, under the lock: it cannot have been closed and reused.
        ::shutdown(m_fd, SHUT_RDWR);
        m_fired = true;
        m_armed = false;
    }
}
