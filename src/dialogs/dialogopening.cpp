#include "dialogopening.h"

#include "ui/prompts.h"

#include <QWidget>

QString cannotOpenMessage(const QString &caption, const Status &why)
{
    QString text = QStringLiteral("La fenêtre « %1 » ne peut pas s'ouvrir.").arg(caption);
    if (!why.message().isEmpty())
        text += u'\r' + why.message();
    return text;
}

QWidget *keepIfLoaded(Prompts &prompts, QWidget *dialog, const Status &loaded, const QString &caption)
{
    if (loaded)
        return dialog;
    delete dialog;
    prompts.message(cannotOpenMessage(caption, loaded));
    return nullptr;
}
