// What assistive tools are told a window is.

#include "ui/accessiblerole.h"

#include <QAccessible>
#include <QTest>
#include <QWidget>

class TestAccessibleRole : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void windowRole_data();
    void windowRole();
};

void TestAccessibleRole::windowRole_data()
{
    QTest::addColumn<int>("role");
    QTest::addColumn<bool>("askedBefore"); // a tool asked while the window was being built
    QTest::newRow("dialog") << int(QAccessible::Dialog) << false;
    QTest::newRow("dialog, asked before") << int(QAccessible::Dialog) << true;
    QTest::newRow("window") << int(QAccessible::Window) << false;
    QTest::newRow("window, asked before") << int(QAccessible::Window) << true;
}

void TestAccessibleRole::windowRole()
{
    QFETCH(int, role);
    QFETCH(bool, askedBefore);
    QWidget window(nullptr, Qt::Window);
    window.setWindowTitle(QStringLiteral("Fenêtre"));
    QWidget child(&window);
    if (askedBefore)
        QCOMPARE(QAccessible::queryAccessibleInterface(&window)->role(), QAccessible::Client);
    setAccessibleWindowRole(&window, QAccessible::Role(role));
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(&window);
    QCOMPARE(int(iface->role()), role);
    QCOMPARE(iface->text(QAccessible::Name), QStringLiteral("Fenêtre"));
    QCOMPARE(iface->childCount(), 1);
    QCOMPARE(iface->child(0)->object(), &child);
    QCOMPARE(iface->child(0)->parent(), iface);
    // A widget inside the window keeps its own role.
    QCOMPARE(QAccessible::queryAccessibleInterface(&child)->role(), QAccessible::Client);
}

QTEST_MAIN(TestAccessibleRole)
#include "tst_accessiblerole.moc"
