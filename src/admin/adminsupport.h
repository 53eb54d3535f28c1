#pragma once

#include "dirpaths.h"
#include "text/result.h"
#include "ui/formbuilder.h"

#include <QString>

class QWidget;

// What the panel and the dialogs of group and account administration share: the directory paths
// they build and the way a dialog window is set up.
namespace AdminSupport {

// The directory paths and the window frame every dialog shares.
inline QString containerPath(const QString &serverOrDomain)
{
    return DirPaths::container(serverOrDomain);
}
inline QString objectPath(const QString &server, const QString &name, const QString &classSuffix = {})
{
    return DirPaths::object(server, name, classSuffix);
}
inline void setUpDialog(
    QWidget *dialog, const char *windowName, const QString &caption, int widthTwips, int heightTwips)
{
    setUpFixedWindow(dialog, windowName, caption, widthTwips, heightTwips);
}

// The text of a box that reports a failure which stopped an action: what did not happen, then why.
QString stopMessage(const QString &what, const Status &failure);

// "« name »", the way names are quoted in messages.
QString quoted(const QString &name);

} // namespace AdminSupport
