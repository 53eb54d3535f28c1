#include "quietoutput.h"

#include <cstdio>

#include <fcntl.h>
#include <unistd.h>

QuietOutput::QuietOutput(Streams streams)
{
    std::fflush(stdout);
    std::fflush(stderr);
    m_devNull = ::open("/dev/null", O_WRONLY);
    if (m_devNull < 0)
        return;
    m_savedOut = ::dup(STDOUT_FILENO);
    ::dup2(m_devNull, STDOUT_FILENO);
    if (streams == OutputAndErrors) {
        m_savedErr = ::dup(STDERR_FILENO);
        ::dup2(m_devNull, STDERR_FILENO);
    }
}

void QuietOutput::restore()
{
    std::fflush(stdout);
    std::fflush(stderr);
    if (m_savedOut >= 0) {
        ::dup2(m_savedOut, STDOUT_FILENO);
        ::close(m_savedOut);
        m_savedOut = -1;
    }
    if (m_savedErr >= 0) {
        ::dup2(m_savedErr, STDERR_FILENO);
        ::close(m_savedErr);
        m_savedErr = -1;
    }
    if (m_devNull >= 0) {
        ::close(m_devNull);
        m_devNull = -1;
    }
}
