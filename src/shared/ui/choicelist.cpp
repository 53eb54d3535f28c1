#include "choicelist.h"

#include <QScopedValueRollback>

ChoiceList::ChoiceList(QWidget *parent)
    : QListWidget(parent)
{
}

void ChoiceList::focusInEvent(QFocusEvent *event)
{
    // The view asks where the cursor would move to find the row it makes current on focus.
    const QScopedValueRollback taking(m_takingFocus, true);
    QListWidget::focusInEvent(event);
}

QModelIndex ChoiceList::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers)
{
    if (m_takingFocus)
        return {};
    return QListWidget::moveCursor(action, modifiers);
}
