#pragma once

#include "directory/directory.h"
#include "directory/directoryfactory.h"
#include "journal/actionjournal.h"
#include "passwords/passwordgenerator.h"
#include "program/services.h"
#include "support/fakemainvalues.h"
#include "support/fixturehelpers.h"
#include "support/forwardingdirectory.h"
#include "support/recordingshell.h"
#include "support/scriptedprompts.h"
#include "support/switchableshell.h"
#include "support/tempprogramfolder.h"
#include "ui/dialoghost.h"

#include <QDir>
#include <QFile>
#include <QStringList>

#include <functional>
#include <memory>

// Lets a test refuse chosen directory calls: a server that is out of reach, or an account that
// cannot be deleted.
class RefusingDirectory : public Directory
{
public:
    explicit RefusingDirectory(Directory &inner)
        : m_inner(inner)
    {
    }

    QStringList refusedPaths; // bind fails for these exact paths
    bool refuseDeletes = false;

    Result<DirObjectPtr> bind(const QString &adsPath) override;
    Result<PasswordPolicy> passwordPolicyOfMembers(const QString &group) override
    {
        return m_inner.passwordPolicyOfMembers(group);
    }
    Result<bool> ensureGroupPasswordPolicy(const QString &group, const PasswordPolicy &settings) override
    {
        return m_inner.ensureGroupPasswordPolicy(group, settings);
    }

private:
    Directory &m_inner;
};

// Runs a check each time a line starts, to see what the dialog has done by then.
class WatchingShell : public Shell
{
public:
    std::function<void(const QString &)> onStart;

    Status start(const QString &line, WindowStyle) override
    {
        if (onStart)
            onStart(line);
        return {};
    }
    Status startAndWait(const QString &line, WindowStyle style, int) override { return start(line, style); }
    void pause(int) override { }
    Status checkSharesServed() override { return {}; }
};

// One program folder with the settings, the embedded store, a recording shell, scripted boxes and a
// password generator on a known seed, wired into the services the dialogs are given. A test that puts
// another shell or directory behind the dialogs switches shellSwitch or directorySwitch.
struct EnrolFixture
{
    static constexpr std::uint64_t kSeed = 20240901;

    QString server;
    TempProgramFolder folder;
    std::unique_ptr<Directory> store;
    std::unique_ptr<RefusingDirectory> directory;
    ForwardingDirectory directorySwitch {*directory};
    RecordingShell shell;
    SwitchableShell shellSwitch {shell};
    ScriptedPrompts prompts;
    PasswordGenerator passwords {kSeed};
    DialogHost dialogs;
    FakeMainValues main;
    ActionJournal journal {folder.paths(), prompts};
    Services services;

    // The embedded store of the folder unless another directory is given, reached by that server name.
    explicit EnrolFixture(std::unique_ptr<Directory> other = {}, QString serverName = QStringLiteral("SRVPEDA"))
        : server(std::move(serverName))
        , store(withSettings(folder, server, std::move(other)))
        , directory(std::make_unique<RefusingDirectory>(*store))
        , services(FixtureHelpers::wireServices({.folder = folder,
              .directory = directorySwitch,
              .shell = shellSwitch,
              .prompts = prompts,
              .passwords = passwords,
              .dialogs = dialogs,
              .main = main,
              .journal = journal}))
    {
        main.server = server;
    }

    // The host folder of a Windows path of the test drives.
    QString host(const QString &windowsPath) { return FixtureHelpers::hostPath(folder, windowsPath); }
    bool makeFolders(const QString &windowsPath) { return QDir().mkpath(host(windowsPath)); }

    // The lines of a program-folder file, without their CR LF.
    QStringList lines(const QString &name) const { return FixtureHelpers::lines(folder.readFile(name)); }

    // Directory helpers that stop the test's setup at the first failure.
    bool createGroup(const QString &name);
    bool createUser(const QString &name, const QString &password = {});
    QVariant property(const QString &account, DirProperty property);
    bool exists(const QString &account);
    QStringList membersOf(const QString &group);
    bool passwordIs(const QString &account, const QString &password);
    // Asks another directory than the embedded store whether a password opens an account.
    std::function<bool(const QString &account, const QString &password)> checkPassword;

private:
    // The settings first: the folder's own store is opened as they say.
    static std::unique_ptr<Directory> withSettings(
        TempProgramFolder &folder, const QString &server, std::unique_ptr<Directory> other)
    {
        folder.writeSettings(QStringLiteral("LYCEE"), server);
        return other ? std::move(other) : openDirectory(folder.paths());
    }
};
