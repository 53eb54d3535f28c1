#include "form1.h"
#include "text/pathresolver.h"
#include "text/programfolder.h"
#include "ui/commandline.h"
#include "ui/formbuilder.h"
#include "ui/prompts.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    // Besides --help and --version, no options: everything comes from the window.
    CommandLine commandLine(QStringLiteral("trivo"),
        QStringLiteral("Analyseur ORVO : convertit l'export des élèves en fichier des élèves par classe."));
    if (const auto status = commandLine.answerWithoutDisplay(argc, argv))
        return *status;

    QApplication app(argc, argv);
    if (const auto status = commandLine.refuseLeftovers(QApplication::arguments()))
        return *status;
    QApplication::setApplicationName(QStringLiteral("trivo"));
    useFormFont();

    ProgramFolder::shareNewFilesWithGroup(ProgramFolder::ofRunningExecutable());
    PathResolver paths(ProgramFolder::ofRunningExecutable());
    BoxPrompts prompts(QStringLiteral("trivo"));
    Form1 form(paths, prompts);
    form.show();
    return app.exec();
}
