#include "annuairetool.h"
#include "directory/sqlite/sqlitedirectory.h"
#include "text/pathresolver.h"
#include "text/programfolder.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("annuaire"));
    const QStringList arguments = QCoreApplication::arguments().mid(1);
    if (arguments == QStringList {QStringLiteral("--help")}) {
        std::fputs(AnnuaireTool::usage().toUtf8().constData(), stdout);
        return 0;
    }

    const PathResolver paths(ProgramFolder::ofRunningExecutable());
    auto directory = SqliteDirectory::open(paths.toHost(paths.programFolder() + QStringLiteral("\\annuaire.db")));
    if (!directory) {
        std::fputs((QStringLiteral("annuaire : ") + directory.message() + u'\n').toUtf8().constData(), stderr);
        return 1;
    }
    AnnuaireTool tool(**directory, stdout, stderr, stdin);
    return tool.run(arguments);
}
