#include "form1.h"
#include "text/pathresolver.h"
#include "text/programfolder.h"
#include "ui/formbuilder.h"
#include "ui/prompts.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("trivo"));
    useFormFont();

    // No options: everything comes from the window.
    PathResolver paths(ProgramFolder::ofRunningExecutable());
    BoxPrompts prompts(QStringLiteral("trivo"));
    Form1 form(paths, prompts);
    form.show();
    return app.exec();
}
