#include "dialoghost.h"

QWidget *DialogHost::find(std::type_index type) const
{
    const auto found = m_open.find(type);
    return found == m_open.end() ? nullptr : found->second.data();
}

void DialogHost::keep(std::type_index type, QWidget *dialog)
{
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    m_open[type] = dialog;
}

void DialogHost::bringForward(QWidget *dialog)
{
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
}

void DialogHost::closeAll()
{
    const auto open = std::exchange(m_open, {});
    for (const auto &[type, dialog] : open) {
        if (dialog)
            dialog->close();
    }
}
