#include "paintnow.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QWidget>

void paintNow(QWidget *widget)
{
    if (widget && widget->isVisible())
        widget->window()->repaint();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

BusyCaption::BusyCaption(QAbstractButton *button, const QString &working)
    : BusyCaption(button, working, button->text())
{
}

BusyCaption::BusyCaption(QAbstractButton *button, const QString &working, const QString &after)
    : m_button(button)
    , m_caption(after)
{
    button->setText(working);
    paintNow(button);
}

BusyCaption::~BusyCaption()
{
    restore();
}

void BusyCaption::restore()
{
    if (m_restored)
        return;
    m_restored = true;
    if (m_button)
        m_button->setText(m_caption);
}
