#pragma once

#include <QHash>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <functional>

// Keeps each dialog at most once: showing one that is open brings it forward with its contents.
// Dialogs are top-level windows without an owner, shown without blocking, and deleted on close.
// Each is known by its window name and made by the factory defined for that name.
class DialogHost
{
public:
    using Factory = std::function<QWidget *()>;

    void define(const QString &name, Factory make);
    bool isDefined(const QString &name) const { return m_factories.contains(name); }
    // Shows the dialog of that name, made anew or brought forward; nothing for an unknown name.
    QWidget *open(const QString &name);
    QWidget *find(const QString &name) const;
    void closeAll();

private:
    QHash<QString, Factory> m_factories;
    QHash<QString, QPointer<QWidget>> m_open;
};
