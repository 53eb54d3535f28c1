#include "toolsdialogs.h"

#include "ui/formbuilder.h"

#include <QWidget>

namespace ToolsDialogs {

void setUpWindow(QWidget *dialog, const char *windowName, const QString &caption, int widthTwips, int heightTwips)
{
    dialog->setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setUpFixedWindow(dialog, windowName, caption, widthTwips, heightTwips);
}

} // namespace ToolsDialogs
