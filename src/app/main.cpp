#include "directory/directoryfactory.h"
#include "journal/actionjournal.h"
#include "passwords/passwordgenerator.h"
#include "principale.h"
#include "shell/processshell.h"
#include "splash.h"
#include "text/pathresolver.h"
#include "text/programfolder.h"
#include "ui/commandline.h"
#include "ui/dialoghost.h"
#include "ui/formbuilder.h"
#include "ui/prompts.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    CommandLine commandLine(
        QStringLiteral("velmar"), QStringLiteral("Gestion des comptes d'un établissement scolaire"));
    if (const auto status = commandLine.answerWithoutDisplay(argc, argv))
        return *status;

    QApplication app(argc, argv);
    if (const auto status = commandLine.refuseLeftovers(QApplication::arguments()))
        return *status;
    QApplication::setApplicationName(QStringLiteral("Velmar"));
    useFormFont();

    ProgramFolder::shareNewFilesWithGroup(ProgramFolder::ofRunningExecutable());
    PathResolver paths(ProgramFolder::ofRunningExecutable());
    auto directory = openDirectory(paths);
    ProcessShell shell(paths);
    BoxPrompts prompts(QStringLiteral("Velmar"));
    PasswordGenerator passwords;
    DialogHost dialogs;
    ActionJournal journal(paths, prompts);

    Principale principale(paths, *directory, shell, prompts, passwords, dialogs, journal);

    Splash splash;
    QObject::connect(&splash, &Splash::finished, &principale, [&] { principale.showLoaded(); });
    splash.show();
    return app.exec();
}
