#pragma once

#include <QStringList>

#include <memory>

class Console;
class PathGuard;
class PathResolver;
class ShareStore;

// The program's own command interpreter: runs one command given as words, or a batch script.
//
// Commands, without regard to case: md (mkdir), rd (rmdir), del (erase), ren (rename), net share,
// diruse, echo and rem. A ">>" word followed by a file appends the command's report to that file
// (">" replaces it; "nul" throws it away), in Windows-1252 with CR LF line ends.
//
// Scripts: one command a line; "%0" to "%9" are the script and its arguments, "%*" all arguments
// and "%%" a percent sign; "@" in front of a line, "echo off", "rem" and "::" comment lines, labels
// and blank lines are skipped. Every line runs even when an earlier one failed; the script ends with
// the exit code of its last command. Scripts nest 16 deep at most, and one run calls 10,000 at most:
// past that the whole run ends.
class Interpreter
{
public:
    Interpreter(const PathResolver &paths, ShareStore &shares);
    ~Interpreter();

    // The arguments of one start of the interpreter (argv[0] left out): "/c COMMAND..." or
    // "SCRIPT.bat ARGUMENTS...". Anything else is answered with how to start it, and the code 2.
    int runArguments(const QStringList &arguments);
    int runCommand(const QStringList &words);
    int runScript(const QString &script, const QStringList &arguments);

    // One script line with its "%" references replaced, split into words as the shell would.
    static QStringList expandLine(const QString &line, const QString &script, const QStringList &arguments);

private:
    int dispatch(const QString &command, const QStringList &arguments, Console &console);
    const PathGuard &guard();

    const PathResolver &m_paths;
    ShareStore &m_shares;
    std::unique_ptr<PathGuard> m_guard;
    int m_depth = 0;
    int m_calls = 0; // scripts called in this run
    bool m_stopped = false; // too many: nothing more runs
};
