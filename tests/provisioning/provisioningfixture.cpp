#include "provisioningfixture.h"

#include "support/fixturehelpers.h"

#include "directory/directoryfactory.h"
#include "directory/sqlite/sqlitedirectory.h"
#include "journal/journalfile.h"
#include "provisioning/accountsheet.h"
#include "provisioning/bulkaccounts.h"
#include "provisioning/provisioningpanel.h"
#include "text/cp1252.h"
#include "ui/formbuilder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QTest>

QString PanelMainValues::publicFolder() const
{
    return panel->txtPublic->text();
}

QString PanelMainValues::subjectsFolder() const
{
    return panel->txtMatiere->text();
}

QString PanelMainValues::homeRoot() const
{
    return panel->txtPerso->text();
}

QString PanelMainValues::pupilFile() const
{
    return panel->txtOrvo->text();
}

Status ProbingShell::start(const QString &commandLine, WindowStyle style)
{
    if (onStart)
        onStart(commandLine);
    return RecordingShell::start(commandLine, style);
}

void ProbingPrompts::showMessage(const QString &text, const QString &title)
{
    if (onMessage)
        onMessage(text);
    ScriptedPrompts::showMessage(text, title);
}

static std::unique_ptr<ProcessShell> realShellFor(TempProgramFolder &folder, bool wanted)
{
    if (!wanted)
        return nullptr;
    folder.installPrograms();
    return std::make_unique<ProcessShell>(folder.paths());
}

// The settings first: the folder's own store is opened as they say.
static std::unique_ptr<Directory> withSettings(TempProgramFolder &folder, std::unique_ptr<Directory> given)
{
    folder.writeSettings();
    return given ? std::move(given) : openDirectory(folder.paths());
}

PanelFixture::PanelFixture(std::unique_ptr<Directory> givenDirectory, bool realShell)
    : processShell(realShellFor(folder, realShell))
    , directory(withSettings(folder, std::move(givenDirectory)))
    , shell(processShell.get())
    , services(FixtureHelpers::wireServices({.folder = folder,
          .directory = directorySwitch,
          .shell = shell,
          .prompts = prompts,
          .passwords = passwords,
          .dialogs = dialogs,
          .main = main,
          .journal = journal}))
{

    window.resize(870, 564);
    FormBuilder form(&window);
    panel = new ProvisioningPanel(form, services, &window);
    form.finish();
    main.panel = panel;
}

PanelFixture::~PanelFixture()
{
    dialogs.closeAll();
    // Scripts still running write into the folder: let them end before it goes.
    if (processShell)
        processShell->waitForIdle(60000);
}

QString PanelFixture::host(const QString &windowsPath) const
{
    return FixtureHelpers::hostPath(folder, windowsPath);
}

bool PanelFixture::folderExists(const QString &windowsPath) const
{
    return FixtureHelpers::folderExists(folder, windowsPath);
}

QByteArray PanelFixture::read(const QString &windowsPath) const
{
    QFile file(host(windowsPath));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

void PanelFixture::write(const QString &windowsPath, const QByteArray &bytes)
{
    const QString path = host(windowsPath);
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(bytes);
}

QStringList PanelFixture::lines(const QString &windowsPath) const
{
    return FixtureHelpers::lines(read(windowsPath));
}

QString PanelFixture::ads(const QString &suffix) const
{
    return QStringLiteral("WinNT://") + main.server + suffix;
}

bool PanelFixture::exists(const QString &adsPath)
{
    return FixtureHelpers::exists(*directory, adsPath);
}

QVariant PanelFixture::property(const QString &adsPath, DirProperty property)
{
    return FixtureHelpers::property(*directory, adsPath, property);
}

QStringList PanelFixture::memberNames(const QString &groupAdsPath)
{
    return FixtureHelpers::memberNames(*directory, groupAdsPath);
}

static QStringList childNames(Directory &directory, const QString &container, DirListed kind)
{
    QStringList names;
    if (auto parent = directory.bind(container)) {
        if (const Status listed = (*parent)->enumerate({kind}, [&](const DirEntry &entry) { names << entry.name; });
            !listed)
            names << QStringLiteral("échec : ") + listed.message();
    }
    names.sort(Qt::CaseInsensitive);
    return names;
}

QStringList PanelFixture::globalGroups()
{
    return childNames(*directory, ads(), DirListed::GlobalGroup);
}

QStringList PanelFixture::users()
{
    return childNames(*directory, ads(), DirListed::User);
}

QByteArray pupilFileBytes(const QStringList &lines)
{
    QByteArray bytes;
    for (const QString &line : lines)
        bytes += Cp1252::encode(line) + "\r\n";
    return bytes;
}

bool PanelFixture::hasPassword(const QString &login, const QString &password)
{
    auto store = SqliteDirectory::open(host(folder.path() + QStringLiteral("\\annuaire.db")));
    if (!store)
        return false;
    auto matches = (*store)->checkPassword(login, password);
    return matches && *matches;
}

void checkPupilAccounts(PanelFixture &f, const QList<Pupil> &pupils, const QStringList &globalGroups)
{
    QCOMPARE(f.globalGroups(), globalGroups);
    QStringList logins;
    for (const Pupil &pupil : pupils)
        logins << pupil.login;
    logins.sort(Qt::CaseInsensitive);
    QCOMPARE(f.users(), logins);
    QStringList eleves = f.memberNames(f.ads(QStringLiteral("/eleves,group")));
    eleves.sort(Qt::CaseInsensitive);
    QCOMPARE(eleves, logins);

    for (const Pupil &pupil : pupils) {
        const QString user = f.ads(u'/' + pupil.login);
        QCOMPARE(f.property(user, DirProperty::FullName).toString(), pupil.surname + u' ' + pupil.firstNames);
        QCOMPARE(f.property(user, DirProperty::Description).toString(),
            QStringLiteral("membre de la classe : ") + pupil.className);
        QCOMPARE(f.property(user, DirProperty::HomeDirectory).toString(),
            QStringLiteral("\\\\SERVEUR1\\") + pupil.login + u'$');
        QCOMPARE(f.property(user, DirProperty::LoginScript).toString(), pupil.className + QStringLiteral(".bat"));
        QVERIFY(f.memberNames(f.ads(u'/' + pupil.className + QStringLiteral(",group"))).contains(pupil.login));
    }
}

namespace {

// What stops a run dead in a test: nothing of the run catches it.
struct Killed
{
};

} // namespace

bool PanelFixture::runStoppedAt(const QString &login, int pupilsPerBatch)
{
    const auto before = shell.onStart;
    shell.onStart = [&login](const QString &line) {
        if (line.endsWith(u' ' + login))
            throw Killed();
    };
    bool stopped = false;
    try {
        // Whatever it returns, the run reached no stop when it returns.
        (void)BulkAccounts(services, pupilsPerBatch)
            .run({main.serverName(), main.systemVolume(), main.homeRoot(), main.pupilFile()});
    } catch (const Killed &) {
        stopped = true;
    }
    shell.onStart = before;
    return stopped;
}

QStringList PanelFixture::journals(const QString &prefix) const
{
    return JournalFile::list(folder.paths(), prefix);
}

QStringList PanelFixture::sheetPasswords() const
{
    QStringList passwords;
    const QDir volume(host(QStringLiteral("C:\\")));
    for (const QString &name : volume.entryList({QStringLiteral("comptes*.html")}, QDir::Files)) {
        if (name.startsWith(QStringLiteral("comptes-classes")))
            continue;
        auto rows = AccountSheet::read(volume.filePath(name));
        if (!rows)
            continue;
        for (const AccountSheet::Row &row : std::as_const(*rows)) {
            if (row.holdsPassword())
                passwords << row.passwordCell;
        }
    }
    return passwords;
}

void PanelFixture::checkNoPasswordInJournals(const QStringList &passwords) const
{
    QStringList all = journals(QStringLiteral("creation")) + journals(QStringLiteral("suppression"));
    all << JournalFile::folder(folder.paths()) + QStringLiteral("\\actions.txt");
    for (const QString &journal : std::as_const(all)) {
        const QString text = Cp1252::decode(read(journal));
        for (const QString &password : passwords)
            QVERIFY2(!text.contains(password), qPrintable(journal + QStringLiteral(" : ") + password));
    }
}
