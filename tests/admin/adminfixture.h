#pragma once

#include "directory/directory.h"
#include "journal/actionjournal.h"
#include "passwords/passwordgenerator.h"
#include "program/services.h"
#include "support/fakemainvalues.h"
#include "support/forwardingdirectory.h"
#include "support/recordingshell.h"
#include "support/scriptedprompts.h"
#include "support/tempprogramfolder.h"
#include "ui/dialoghost.h"

#include <QDateTime>
#include <QListWidget>
#include <QStringList>

#include <functional>
#include <memory>

class SqliteDirectory;

// Passes every call on to the real directory, and lets a test look at the screen at each bind
// (what a button reads while its work runs) or make one operation of one object fail, as a
// directory out of reach or refusing a change would.
class ObservingDirectory : public ForwardingDirectory
{
public:
    explicit ObservingDirectory(Directory &real)
        : ForwardingDirectory(real)
    {
    }
    Result<DirObjectPtr> bind(const QString &adsPath) override;

    std::function<void(const QString &)> onBind;
    QStringList binds;
    // The object bound by this path fails this operation: "setInfo", or "members" (after the
    // first member has been given).
    QString faultyPath;
    QString faultyOperation;

private:
};

// A program folder with its settings, the embedded directory store inside it, scripted message
// boxes and a dialog host, wired as the program wires them. The administration windows start no
// line and draw no password: the shell records, the generator has a fixed seed.
class AdminFixture
{
public:
    AdminFixture();
    ~AdminFixture();

    TempProgramFolder folder;
    std::unique_ptr<Directory> directory;
    std::unique_ptr<ObservingDirectory> observer; // what the windows are given
    ScriptedPrompts prompts;
    DialogHost dialogs;
    FakeMainValues main;
    ActionJournal journal {folder.paths(), prompts};
    RecordingShell shell;
    PasswordGenerator passwords {1};
    Services services;

    // The single actions' journal, a line per action as "action ; name ; " and the first word of its
    // outcome ("fait", "échec"), without its date and time.
    QStringList journalled();

    // Directory contents made through the directory's own interface.
    void addUser(const QString &name, const QString &password = {});
    void addGroup(const QString &name, int groupType = globalGroupType);
    void addMember(
        const QString &group, const QString &memberName, const QString &memberClass = QStringLiteral("user"));
    void lock(const QString &user);
    void setLastLogin(const QString &user, const QDateTime &when);

    // What the directory holds now.
    bool exists(const QString &name);
    QStringList members(const QString &group);
    QStringList names(DirListed kind);
    QVariant property(const QString &name, DirProperty property);
    bool passwordIs(const QString &user, const QString &password);

private:
    SqliteDirectory *store();
};
