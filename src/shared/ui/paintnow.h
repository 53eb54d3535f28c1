#pragma once

#include <QPointer>
#include <QString>

class QAbstractButton;
class QWidget;

// Actions run inside their click and do not give the event loop back; a caption such as
// "En cours ..." must still reach the screen before the work starts. Paints pending changes now,
// without taking any user input.
void paintNow(QWidget *widget = nullptr);

// Shows a working caption on a button for the length of a scope and gives its caption back after.
class BusyCaption
{
public:
    BusyCaption(QAbstractButton *button, const QString &working);
    // Leaves the button with the caption after, rather than the one it had.
    BusyCaption(QAbstractButton *button, const QString &working, const QString &after);
    ~BusyCaption();
    BusyCaption(const BusyCaption &) = delete;
    BusyCaption &operator=(const BusyCaption &) = delete;

    // Gives the caption back now (before a final message, say).
    void restore();

private:
    QPointer<QAbstractButton> m_button;
    QString m_caption;
    bool m_restored = false;
};
