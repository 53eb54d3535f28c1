#pragma once

#include "directory/directory.h"
#include "journal/actionjournal.h"
#include "passwords/passwordgenerator.h"
#include "program/mainvalues.h"
#include "program/services.h"
#include "provisioning/bulkaccounts.h"
#include "shell/processshell.h"
#include "support/forwardingdirectory.h"
#include "support/recordingshell.h"
#include "support/scriptedprompts.h"
#include "support/tempprogramfolder.h"
#include "ui/dialoghost.h"

#include <QStringList>
#include <QWidget>

#include <functional>
#include <memory>

class ProvisioningPanel;

// The main window's values as the panel's boxes give them; names and volume as the settings would.
class PanelMainValues : public MainValues
{
public:
    ProvisioningPanel *panel = nullptr;
    QString domain = QStringLiteral("ECOLE");
    QString server = QStringLiteral("SERVEUR1");
    QString volume = QStringLiteral("C:");

    QString domainName() const override { return domain; }
    QString serverName() const override { return server; }
    QString systemVolume() const override { return volume; }
    QString publicFolder() const override;
    QString subjectsFolder() const override;
    QString homeRoot() const override;
    QString pupilFile() const override;
    QString chosenGroup() const override { return {}; }
};

// A recording shell that lets a test look at the window at the moment each line starts.
class ProbingShell : public RecordingShell
{
public:
    using RecordingShell::RecordingShell;
    std::function<void(const QString &line)> onStart;
    Status start(const QString &commandLine, WindowStyle style) override;
};

// Message boxes answered for the administrator, looking at the window when each one shows.
class ProbingPrompts : public ScriptedPrompts
{
public:
    std::function<void(const QString &text)> onMessage;

protected:
    void showMessage(const QString &text, const QString &title) override;
};

// The panel "Création d'un SI" on a plain window, with a temporary program folder (drives C: to H:
// inside it), the embedded directory store of that folder, a recording shell, scripted boxes and a
// dialog host. A test that puts another directory in front of the store switches directorySwitch.
// With realShell, the program folder gets the built interpreter and scripts, and the recording shell
// hands every line on to a real shell that runs them.
class PanelFixture
{
public:
    explicit PanelFixture(std::unique_ptr<Directory> directory = nullptr, bool realShell = false);
    ~PanelFixture();

    mutable TempProgramFolder folder; // its resolver is not const
    std::unique_ptr<ProcessShell> processShell;
    std::unique_ptr<Directory> directory;
    ForwardingDirectory directorySwitch {*directory}; // what the panel is given
    ProbingShell shell;
    ProbingPrompts prompts;
    PasswordGenerator passwords {20240901};
    PanelMainValues main;
    ActionJournal journal {folder.paths(), prompts};
    DialogHost dialogs;
    Services services;
    QWidget window;
    ProvisioningPanel *panel = nullptr;

    // A host path for a Windows-form path, through the folder's drive map.
    QString host(const QString &windowsPath) const;
    bool folderExists(const QString &windowsPath) const;
    QByteArray read(const QString &windowsPath) const;
    void write(const QString &windowsPath, const QByteArray &bytes);
    // The file's lines, split at CR LF (a final line end adds no line).
    QStringList lines(const QString &windowsPath) const;

    // Directory helpers.
    bool exists(const QString &adsPath);
    QVariant property(const QString &adsPath, DirProperty property);
    QStringList memberNames(const QString &groupAdsPath);
    // Sorted without regard to case: the store lists them in an order of its own.
    QStringList globalGroups();
    QStringList users();
    // True when the account holds this password, asked of the store file itself.
    bool hasPassword(const QString &login, const QString &password);

    // "WinNT://SERVEUR1" + suffix
    QString ads(const QString &suffix = {}) const;

    // Runs step 3 as the panel does, and stops it dead as the share script of this login is about to
    // start, as a run killed there would stop: its account made, and those of the rest of its batch,
    // its row and journal line not yet written. False when the run never reached that pupil.
    bool runStoppedAt(const QString &login, int pupilsPerBatch = BulkAccounts::kPupilsPerBatch);
    // The Windows paths of the journals prefix + "-...txt" of the program folder, oldest first.
    QStringList journals(const QString &prefix) const;
    // The passwords on the account sheets of the system volume, the kept ones included.
    QStringList sheetPasswords() const;
    // Fails the test when a journal of the program folder holds one of these passwords.
    void checkNoPasswordInJournals(const QStringList &passwords) const;
};

// Builds converted pupil file bytes from "surname,first names,class" lines, in Windows-1252.
QByteArray pupilFileBytes(const QStringList &lines);

// A pupil of the converted file, with the login the steps give them.
struct Pupil
{
    QString login, surname, firstNames, className;
};

// What the three steps leave in the directory, whichever keeps it: these global groups and no
// other, one account per pupil with its properties, in "eleves" and in its class group.
void checkPupilAccounts(PanelFixture &f, const QList<Pupil> &pupils, const QStringList &globalGroups);
