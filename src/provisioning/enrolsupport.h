#pragma once

#include "dirpaths.h"
#include "settingsfiles.h"
#include "text/result.h"
#include "ui/formbuilder.h"

#include <QString>

class QWidget;
struct Services;

// What the four enrolment and removal dialogs share: their window frame, the names read from the
// settings when they open, and how a dialog that cannot open says so.
namespace EnrolSupport {

// The window frame and the directory paths every dialog shares.
inline void setUpDialog(
    QWidget *dialog, const char *windowName, const QString &caption, int widthTwips, int heightTwips)
{
    setUpFixedWindow(dialog, windowName, caption, widthTwips, heightTwips);
}
inline QString containerPath(const QString &serverName)
{
    return DirPaths::container(serverName);
}
inline QString objectPath(const QString &serverName, const QString &name, const QString &classSuffix = {})
{
    return DirPaths::object(serverName, name, classSuffix);
}

// The names of "parametres.txt"; a file that cannot be read, or one that names no server, is a
// failure: no directory path could be built from it.
Result<DomainNames> readNames(const Services &services);

// True when the text can be put on a command line as one word naming one folder or share: not
// empty, no space, no character that Windows refuses in a name or that the command interpreter
// reads as an operator, and no "..". Anything else would make the line address another folder.
bool isCommandWord(const QString &name);

} // namespace EnrolSupport
