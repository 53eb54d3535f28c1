// cmd: the program folder's command interpreter. Velmar starts it for "cmd.exe /c ..." lines and for
// the batch scripts of its program folder.
#include "cmd/samba/sharestorefactory.h"
#include "interpreter.h"
#include "text/pathresolver.h"
#include "text/programfolder.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments().mid(1);

    const PathResolver paths(ProgramFolder::ofRunningExecutable());
    const auto shares = openShareStore(paths);
    Interpreter interpreter(paths, *shares);

    if (!arguments.isEmpty() && arguments.first().compare(QStringLiteral("/c"), Qt::CaseInsensitive) == 0)
        return interpreter.runCommand(arguments.mid(1));
    if (!arguments.isEmpty() && arguments.first().endsWith(QStringLiteral(".bat"), Qt::CaseInsensitive))
        return interpreter.runScript(arguments.first(), arguments.mid(1));

    const QByteArray usage
        = QStringLiteral("Utilisation : cmd /c COMMANDE [ARGUMENTS...] ou cmd SCRIPT.bat [ARGUMENTS...]\n")
              .toLocal8Bit();
    std::fwrite(usage.constData(), 1, size_t(usage.size()), stderr);
    return 2;
}
