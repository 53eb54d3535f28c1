#include "accessiblerole.h"

#include <QAccessibleWidget>
#include <QWidget>

namespace {

const char kRoleProperty[] = "accessibleWindowRole";

QAccessibleInterface *windowInterface(const QString &, QObject *object)
{
    if (!object || !object->isWidgetType())
        return nullptr;
    auto *window = static_cast<QWidget *>(object);
    const QVariant role = window->property(kRoleProperty);
    if (!window->isWindow() || !role.isValid())
        return nullptr;
    return new QAccessibleWidget(window, static_cast<QAccessible::Role>(role.toInt()));
}

} // namespace

void setAccessibleWindowRole(QWidget *window, QAccessible::Role role)
{
    static const bool installed = [] {
        QAccessible::installFactory(windowInterface);
        return true;
    }();
    Q_UNUSED(installed);

    window->setProperty(kRoleProperty, int(role));
    // An assistive tool may already have asked while the window was being built: the interface it
    // got then keeps its old role, so it is dropped and made anew on the next question.
    QAccessibleInterface *known = QAccessible::queryAccessibleInterface(window);
    if (known && known->role() != role)
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(known));
}
