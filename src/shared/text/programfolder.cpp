#include "programfolder.h"

#include <QCoreApplication>

QString ProgramFolder::ofRunningExecutable()
{
    return QCoreApplication::applicationDirPath();
}
