#pragma once

#include <QPointer>
#include <QWidget>

#include <type_traits>
#include <typeindex>
#include <unordered_map>
#include <utility>

// Keeps each dialog at most once: opening one that is open brings it forward with its contents.
// Dialogs are top-level windows without an owner, shown without blocking, and deleted on close.
// A dialog is known by its class, and made by that class's static make(): there is no name to get
// wrong, and no dialog that can be asked for without a way to make it.
class DialogHost
{
public:
    // Shows the dialog D, made anew by D::make(args...) or brought forward. Null only when make()
    // gave nothing: the dialog could not load, and has already said why.
    template <class D, class... Args> D *open(Args &&...args)
    {
        static_assert(std::is_base_of_v<QWidget, D>, "a dialog is a widget");
        D *dialog = find<D>();
        if (!dialog) {
            dialog = D::make(std::forward<Args>(args)...);
            if (!dialog)
                return nullptr;
            keep(typeid(D), dialog);
        }
        bringForward(dialog);
        return dialog;
    }

    // The dialog D while it is open, or null.
    template <class D> D *find() const { return static_cast<D *>(find(typeid(D))); }

    void closeAll();

private:
    QWidget *find(std::type_index type) const;
    void keep(std::type_index type, QWidget *dialog);
    static void bringForward(QWidget *dialog);

    std::unordered_map<std::type_index, QPointer<QWidget>> m_open;
};
