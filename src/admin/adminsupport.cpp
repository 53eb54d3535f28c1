#include "adminsupport.h"

#include "ui/formbuilder.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace AdminSupport {

QString containerPath(const QString &serverOrDomain)
{
    return QStringLiteral("WinNT://") + serverOrDomain;
}

QString objectPath(const QString &server, const QString &name, const QString &classSuffix)
{
    QString path = containerPath(server) + u'/' + name;
    if (!classSuffix.isEmpty())
        path += u',' + classSuffix;
    return path;
}

void setUpDialog(QWidget *dialog, const char *windowName, const QString &caption, int widthTwips, int heightTwips)
{
    dialog->setObjectName(QString::fromLatin1(windowName));
    dialog->setWindowTitle(caption);
    dialog->setFixedSize(twipsToPixels(widthTwips), twipsToPixels(heightTwips));
    if (QScreen *screen = QGuiApplication::primaryScreen())
        dialog->move(screen->availableGeometry().center() - dialog->rect().center());
}

QString stopMessage(const QString &what, const Status &failure)
{
    if (failure.message().isEmpty())
        return what;
    return what + u'\r' + failure.message();
}

QString quoted(const QString &name)
{
    return QStringLiteral("« ") + name + QStringLiteral(" »");
}

} // namespace AdminSupport
