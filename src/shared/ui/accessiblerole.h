#pragma once

#include <QAccessible>

class QWidget;

// Assistive tools see a plain top-level widget as a bare pane ("filler") and do not announce it as a
// window. This tells them what the window is: a dialog, or a program's own window.
void setAccessibleWindowRole(QWidget *window, QAccessible::Role role);
