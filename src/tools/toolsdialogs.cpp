#include "toolsdialogs.h"

#include "diruse.h"
#include "mails.h"
#include "program/services.h"
#include "suppmail.h"
#include "ui/dialoghost.h"
#include "ui/formbuilder.h"

#include <QWidget>

void defineToolsDialogs(Services &services)
{
    services.dialogs->define(QStringLiteral("mails"), [&services] { return new Mails(services); });
    services.dialogs->define(QStringLiteral("diruse"), [&services] { return new DirUse(services); });
    services.dialogs->define(QStringLiteral("suppmail"), [&services] { return new SuppMail(services); });
}

namespace ToolsDialogs {

void setUpWindow(QWidget *dialog, const char *windowName, const QString &caption, int widthTwips, int heightTwips)
{
    dialog->setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setUpFixedWindow(dialog, windowName, caption, widthTwips, heightTwips);
}

} // namespace ToolsDialogs
