#pragma once

#include "text/result.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <memory>

// One of the interpreters the shell keeps serving lines for its whole life (the interpreter's
// "/servir" mode): started on demand, handed one line at a time on its standard input, its answer
// read from a descriptor of its own. The queue polls answerFd() and reaps the process once it ends.
class ServingInterpreter
{
public:
    static Result<std::unique_ptr<ServingInterpreter>> start(
        const QByteArray &program, const QByteArray &workingFolder);
    // Closes both streams: the interpreter ends once its line, if any, is over. Its process is the
    // caller's to reap.
    ~ServingInterpreter();
    ServingInterpreter(const ServingInterpreter &) = delete;
    ServingInterpreter &operator=(const ServingInterpreter &) = delete;

    // Hands it a line (argv[0] first) to run in that folder with this program's environment as it is
    // now. false when the interpreter is gone.
    bool send(const QByteArray &workingFolder, const QStringList &words);

    enum class Heard { Nothing, Ended, Gone };
    // Reads what it said without waiting: the end of its line, nothing yet, or that it is gone (it
    // ended, or said something that is no answer).
    Heard hear();
    // The exit code of the last line that ended.
    int exitCode() const { return m_exitCode; }

    int pid() const { return m_pid; }
    int answerFd() const { return m_answerFd; }
    const QByteArray &program() const { return m_program; }

private:
    ServingInterpreter(QByteArray program, int pid, int requestFd, int answerFd);

    QByteArray m_program;
    int m_pid = -1;
    int m_requestFd = -1;
    int m_answerFd = -1;
    QByteArray m_heard;
    int m_exitCode = -1;
    QByteArray m_environment; // as last sent: it is sent again only when it changed
    bool m_environmentSent = false;
};
