#include "programfolder.h"

#include <QCoreApplication>
#include <QFile>

#include <sys/stat.h>

QString ProgramFolder::ofRunningExecutable()
{
    return QCoreApplication::applicationDirPath();
}

void ProgramFolder::shareNewFilesWithGroup(const QString &folder)
{
    struct stat status
    {
    };
    if (::stat(QFile::encodeName(folder).constData(), &status) != 0)
        return; // no folder, nothing shared: the program says so when it reads its files
    if ((status.st_mode & S_ISGID) && (status.st_mode & S_IWGRP)) {
        const mode_t mask = ::umask(0);
        ::umask(mask & ~(S_IRGRP | S_IWGRP | S_IXGRP));
    }
}
