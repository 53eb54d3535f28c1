#pragma once

#include "text/result.h"

#include <QString>

class QWidget;

// What the panel and the dialogs of group and account administration share: the directory paths
// they build and the way a dialog window is set up.
namespace AdminSupport {

// "WinNT://" + name: the container of every account and group of that server (or domain).
QString containerPath(const QString &serverOrDomain);
// Container + "/" + name, with ",user" or ",group" appended when a class is given.
QString objectPath(const QString &server, const QString &name, const QString &classSuffix = {});

// An ownerless window of fixed size, known by its window name, centred on the screen.
void setUpDialog(QWidget *dialog, const char *windowName, const QString &caption, int widthTwips, int heightTwips);

// The text of a box that reports a failure which stopped an action: what did not happen, then why.
QString stopMessage(const QString &what, const Status &failure);

// "« name »", the way names are quoted in messages.
QString quoted(const QString &name);

} // namespace AdminSupport
