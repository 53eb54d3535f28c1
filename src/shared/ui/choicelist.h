#pragma once

#include <QListWidget>

// A list box whose entry is chosen by a click or a keyboard move only. Qt makes the first row
// current when a list without a current row gets the focus (Tab, a window opening, an assistive
// tool), which would count as choosing it; here the focus alone chooses nothing.
class ChoiceList : public QListWidget
{
public:
    explicit ChoiceList(QWidget *parent = nullptr);

protected:
    void focusInEvent(QFocusEvent *event) override;
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;

private:
    bool m_takingFocus = false;
};
