#pragma once

#include "journal/actionjournal.h"
#include "passwords/passwordgenerator.h"
#include "program/services.h"
#include "support/fakemainvalues.h"
#include "support/fixturehelpers.h"
#include "support/recordingshell.h"
#include "support/scriptedprompts.h"
#include "support/switchableshell.h"
#include "support/tempprogramfolder.h"
#include "support/unreachabledirectory.h"
#include "ui/dialoghost.h"

#include <QCoreApplication>
#include <QPointer>
#include <QPushButton>
#include <QTest>

#include <memory>
#include <optional>

// What every tools dialog test starts from: a fresh program folder with its settings, a shell that
// records, scripted prompts, the main window's values and a dialog host that opens the tools' dialogs.
// The tools reach no directory and draw no password: an unreachable directory and a seeded generator
// stand in. A test that runs a real shell switches m_shellSwitch to it.
// A test derives from it, calls setUp() from init() and tearDown() from cleanup().
template <class ShellT = RecordingShell> class ToolsFixture
{
protected:
    void setUp()
    {
        m_folder = std::make_unique<TempProgramFolder>();
        m_folder->writeSettings();
        m_shell = ShellT();
        m_prompts.clear();
        m_main = FakeMainValues();
        m_main.pupils = QStringLiteral("C:\\orvo\\orvoconv.txt");
        m_dialogs = std::make_unique<DialogHost>();
        m_journal = std::make_unique<ActionJournal>(m_folder->paths(), m_prompts);
        m_shellSwitch.switchTo(m_shell);
        m_services.emplace(FixtureHelpers::wireServices({.folder = *m_folder,
            .directory = m_directory,
            .shell = m_shellSwitch,
            .prompts = m_prompts,
            .passwords = m_passwords,
            .dialogs = *m_dialogs,
            .main = m_main,
            .journal = *m_journal}));
    }

    void tearDown()
    {
        m_dialogs->closeAll();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    // Opens the dialog as the main window would; click() then acts on it.
    template <class Dialog> Dialog *open()
    {
        auto *dialog = m_dialogs->open<Dialog>(*m_services);
        m_dialog = dialog;
        return dialog;
    }

    template <class Button = QPushButton> void click(const char *button)
    {
        QVERIFY(m_dialog);
        auto *b = m_dialog->findChild<Button *>(QString::fromLatin1(button));
        QVERIFY(b);
        b->click();
    }

    std::unique_ptr<TempProgramFolder> m_folder;
    ShellT m_shell;
    SwitchableShell m_shellSwitch {m_shell};
    UnreachableDirectory m_directory;
    PasswordGenerator m_passwords {1};
    ScriptedPrompts m_prompts;
    FakeMainValues m_main;
    std::unique_ptr<DialogHost> m_dialogs;
    std::unique_ptr<ActionJournal> m_journal;
    std::optional<Services> m_services; // made again with each test's folder
    QPointer<QWidget> m_dialog;
};
