#pragma once

#include "shell/shell.h"
#include "ui/prompts.h"

// Takes every line and runs none: the action's own cost, without its scripts.
class IdleShell : public Shell
{
public:
    Status start(const QString &, WindowStyle) override { return {}; }
    Status startAndWait(const QString &, WindowStyle, int) override { return {}; }
    void pause(int) override { }
    Status checkSharesServed() override { return {}; }
};

// Says yes to every question and keeps the last message.
class SilentPrompts : public Prompts
{
public:
    void showMessage(const QString &text, const QString &) override { last = text; }
    bool askConfirm(const QString &, const QString &) override { return true; }
    bool askYesNo(const QString &, const QString &) override { return true; }
    std::optional<QString> askInput(const QString &, const QString &, const QString &) override { return {}; }
    QString last;
};
