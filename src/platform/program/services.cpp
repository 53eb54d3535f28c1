#include "services.h"

#include "text/pathresolver.h"

QString Services::programFolder() const
{
    return paths.programFolder();
}

QString Services::programFile(const QString &name) const
{
    return paths.toHost(paths.programFolder() + QLatin1Char('\\') + name);
}
