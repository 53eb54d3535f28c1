// cmd: the program folder's command interpreter. Velmar starts it for "cmd.exe /c ..." lines and for
// the batch scripts of its program folder, or keeps a few of them serving line after line
// ("cmd /servir FD": lines on standard input, their exit codes on the descriptor FD).
#include "cmd/samba/sharestorefactory.h"
#include "console.h"
#include "interpreter.h"
#include "lineserver.h"
#include "text/pathresolver.h"
#include "text/programfolder.h"

#include <QCoreApplication>

#include <fcntl.h>
#include <unistd.h>

namespace {

int serve(const QString &answerFdText)
{
    bool ok = false;
    const int answerFd = answerFdText.toInt(&ok);
    if (!ok || answerFd <= STDERR_FILENO || ::fcntl(answerFd, F_SETFD, FD_CLOEXEC) != 0) {
        Console().error(QStringLiteral("cmd /servir : « %1 » n'est pas un descripteur ouvert.").arg(answerFdText));
        return 2;
    }
    // The lines come in on standard input; the commands themselves get nothing there, as a process
    // started for one line does, so that no question they ask can swallow the next line.
    const int requestFd = ::fcntl(STDIN_FILENO, F_DUPFD_CLOEXEC, STDERR_FILENO + 1);
    const int nothing = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    if (requestFd < 0 || nothing < 0 || ::dup2(nothing, STDIN_FILENO) < 0) {
        Console().error(QStringLiteral("cmd /servir : l'entrée standard ne peut pas être reprise."));
        return 2;
    }
    ::close(nothing);
    LineServer server(ProgramFolder::ofRunningExecutable(), &openShareStore);
    return server.serve(requestFd, answerFd);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments().mid(1);
    if (arguments.size() == 2 && arguments.first() == QStringLiteral("/servir"))
        return serve(arguments[1]);

    const PathResolver paths(ProgramFolder::ofRunningExecutable());
    const auto shares = openShareStore(paths);
    Interpreter interpreter(paths, *shares);
    return interpreter.runArguments(arguments);
}
