#include "sessionspawn.h"

#include <QString>

#include <cstring>
#include <vector>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <unistd.h>

extern char **environ;

Result<int> spawnInSession(
    const QByteArray &program, QList<QByteArray> argv, const QByteArray &workingFolder, int inputFd, int outputFd)
{
    std::vector<char *> pointers;
    pointers.reserve(argv.size() + 1);
    for (QByteArray &arg : argv)
        pointers.push_back(arg.data());
    pointers.push_back(nullptr);

    static_assert(kSpawnedOutputFd == STDERR_FILENO + 1, "the first descriptor after the standard ones");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (inputFd >= 0)
        posix_spawn_file_actions_adddup2(&actions, inputFd, STDIN_FILENO);
    else
        posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    if (outputFd >= 0)
        posix_spawn_file_actions_adddup2(&actions, outputFd, kSpawnedOutputFd);
    if (!workingFolder.isEmpty())
        posix_spawn_file_actions_addchdir_np(&actions, workingFolder.constData());
#if defined(__GLIBC__) && __GLIBC_PREREQ(2, 34)
    posix_spawn_file_actions_addclosefrom_np(&actions, outputFd >= 0 ? kSpawnedOutputFd + 1 : STDERR_FILENO + 1);
#endif

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
    const int error = ::posix_spawn(&pid, program.constData(), &actions, &attributes, pointers.data(), environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    if (error != 0)
        return Result<int>::failure(
            QStringLiteral("Impossible de lancer %1 : %2")
                .arg(QString::fromLocal8Bit(program), QString::fromLocal8Bit(std::strerror(error))));
    return int(pid);
}
