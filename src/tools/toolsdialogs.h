#pragma once

#include <QString>

class QWidget;
struct Services;

// Makes the maintenance dialogs known to the dialog host: "mails", "diruse", "suppmail".
void defineToolsDialogs(Services &services);

namespace ToolsDialogs {
// The frame every maintenance dialog shares: an ownerless fixed tool window (no minimize, maximize or
// resize, not in the task bar), known by its window name, with a client area given in twips, centred.
void setUpWindow(QWidget *dialog, const char *windowName, const QString &caption, int widthTwips, int heightTwips);
} // namespace ToolsDialogs
