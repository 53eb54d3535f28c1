#pragma once

#include "text/result.h"

#include <QByteArray>
#include <QList>

// The descriptor that spawnInSession's outputFd becomes in the child.
inline constexpr int kSpawnedOutputFd = 3;

// Starts a program of this machine the way the shell starts every process: in a session of its own
// (it outlives a closed terminal and ignores its keys, as a process started from a window does), with
// the default signal handling, in the working folder given, and no descriptor of this program but
// standard output and error. Standard input is nothing, or inputFd; outputFd, when given, becomes the
// child's descriptor kSpawnedOutputFd. The pid, or why the program could not start.
Result<int> spawnInSession(const QByteArray &program, QList<QByteArray> argv, const QByteArray &workingFolder,
    int inputFd = -1, int outputFd = -1);
