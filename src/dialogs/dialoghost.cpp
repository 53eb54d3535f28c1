#include "dialoghost.h"

void DialogHost::define(const QString &name, Factory make)
{
    m_factories.insert(name, std::move(make));
}

QWidget *DialogHost::open(const QString &name)
{
    QWidget *dialog = m_open.value(name);
    if (!dialog) {
        const Factory make = m_factories.value(name);
        dialog = make ? make() : nullptr;
        if (!dialog)
            return nullptr;
        dialog->setAttribute(Qt::WA_DeleteOnClose);
        m_open.insert(name, dialog);
    }
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
    return dialog;
}

QWidget *DialogHost::find(const QString &name) const
{
    return m_open.value(name);
}

void DialogHost::closeAll()
{
    const auto open = m_open;
    m_open.clear();
    for (const QPointer<QWidget> &dialog : open) {
        if (dialog)
            dialog->close();
    }
}
