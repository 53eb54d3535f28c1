#pragma once

#include "text/result.h"

#include <QString>

class QWidget;
class Prompts;

// A dialog that reads its settings or the directory when it opens, and cannot be used without them,
// is shown only once that reading succeeded; otherwise it is dropped and one box says which window
// could not open and why.
QWidget *keepIfLoaded(Prompts &prompts, QWidget *dialog, const Status &loaded, const QString &caption);
template <class Dialog>
Dialog *keepIfLoaded(Prompts &prompts, Dialog *dialog, const Status &loaded, const QString &caption)
{
    return static_cast<Dialog *>(keepIfLoaded(prompts, static_cast<QWidget *>(dialog), loaded, caption));
}

// "La fenêtre « caption » ne peut pas s'ouvrir.", then the reason on a line of its own.
QString cannotOpenMessage(const QString &caption, const Status &why);
