#pragma once

#include <QString>

class QWidget;

namespace ToolsDialogs {
// The frame every maintenance dialog shares: an ownerless fixed tool window (no minimize, maximize or
// resize, not in the task bar), known by its window name, with a client area given in twips, centred.
void setUpWindow(QWidget *dialog, const char *windowName, const QString &caption, int widthTwips, int heightTwips);
} // namespace ToolsDialogs
