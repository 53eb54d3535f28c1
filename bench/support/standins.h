#pragma once

#include "program/mainvalues.h"
#include "shell/shell.h"
#include "ui/prompts.h"

#include <QListWidget>

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

// The main window's values for the groups panel: domain ECOLE, server SERVEUR1, and the group
// chosen in the panel's list once it is given.
class BenchMainValues : public MainValues
{
public:
    QListWidget *groups = nullptr;
    QString domainName() const override { return QStringLiteral("ECOLE"); }
    QString serverName() const override { return QStringLiteral("SERVEUR1"); }
    QString systemVolume() const override { return {}; }
    QString publicFolder() const override { return {}; }
    QString subjectsFolder() const override { return {}; }
    QString homeRoot() const override { return {}; }
    QString pupilFile() const override { return {}; }
    QString chosenGroup() const override
    {
        return groups && groups->currentItem() ? groups->currentItem()->text() : QString();
    }
};
