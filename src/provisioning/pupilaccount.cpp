#include "pupilaccount.h"

#include "directory/directory.h"
#include "journal/actionjournal.h"
#include "passwords/passwordgenerator.h"
#include "program/services.h"
#include "provisioningfolders.h"
#include "pupilnaming.h"
#include "shell/shell.h"
#include "text/textwriter.h"
#include "text/windowsnames.h"

PupilAccountSteps::PupilAccountSteps(Services &services, QString serverName, QString homeRoot)
    : m_services(services)
    , m_serverName(std::move(serverName))
    , m_homeRoot(std::move(homeRoot))
{
}

QString PupilAccountSteps::description(const QString &className)
{
    return QStringLiteral("membre de la classe : ") + className;
}

PupilAccount PupilAccountSteps::create(const PupilRecord &pupil)
{
    return make({pupil}, {false}).constFirst();
}

QList<PupilAccount> PupilAccountSteps::make(const QList<PupilRecord> &pupils, const QList<bool> &takenOver)
{
    QList<PupilAccount> reports(pupils.size());
    QList<NewAccount> accounts;
    for (qsizetype i = 0; i < pupils.size(); ++i)
        accounts.append(prepare(pupils[i], takenOver.value(i), reports[i]));
    const QList<AccountReport> made = m_services.directory.makeAccounts(m_serverName, accounts);
    for (qsizetype i = 0; i < pupils.size(); ++i)
        record(made.at(i), reports[i]);
    return reports;
}

NewAccount PupilAccountSteps::prepare(const PupilRecord &pupil, bool existing, PupilAccount &report)
{
    report.login = WindowsNames::pupilLogin(pupil.surname, pupil.firstNames, pupil.className);
    report.folderSafe = PupilNaming::hasFolderNames(pupil.className, report.login);

    report.folder = report.folderSafe
        ? makeFolder(m_services.paths, PupilNaming::personalFolder(m_homeRoot, pupil.className, report.login))
        : Status::failure(QStringLiteral("Nom de dossier refusé pour ") + report.login);

    // Drawn whatever happens, so that each pupil takes one password from the sequence.
    report.password = m_services.passwords.getpass(PasswordGenerator::kPupilPasswordLength);

    // Made without a password, the account stays disabled until the last step gives it one. On an
    // account that was there before, the home directory, logon script and groups are set again, as
    // they always have been; its password stays its own.
    NewAccount account;
    account.login = report.login;
    account.fullName = pupil.surname + u' ' + pupil.firstNames;
    account.description = description(pupil.className);
    account.password = report.password;
    account.passwordTime = NewAccount::PasswordTime::Last;
    account.homeDirectory = PupilNaming::homeDirectory(m_serverName, report.login);
    account.logonScript = pupil.className + QStringLiteral(".bat");
    account.groups = {pupil.className, QStringLiteral("eleves")};
    account.existing = existing;
    return account;
}

void PupilAccountSteps::record(const AccountReport &made, PupilAccount &report)
{
    report.account = made.created;
    report.passwordSet = made.passwordSet;
    report.homeAndScript = made.properties;
    report.classGroup = made.groups.at(0).joined;
    report.pupilsGroup = made.groups.at(1).joined;
}

QString PupilAccount::stepsText(const QString &className) const
{
    QList<ActionJournal::Step> steps {{QStringLiteral("compte"), account},
        {QStringLiteral("mot de passe"), passwordSet}, {QStringLiteral("propriétés"), homeAndScript},
        {QStringLiteral("groupe ") + className, classGroup}, {QStringLiteral("groupe eleves"), pupilsGroup},
        {QStringLiteral("dossier"), folder}, {QStringLiteral("partage"), shareScript},
        {QStringLiteral("liste"), listed}};
    // A reason never quotes the password, but should one, the journal would keep it.
    for (auto &[name, outcome] : steps) {
        if (!outcome && !password.isEmpty() && outcome.message().contains(password))
            outcome = Status::failure(QString(outcome.message()).replace(password, QStringLiteral("******")));
    }
    if (!existed)
        return ActionJournal::stepsText(steps);
    return QStringLiteral("compte : déjà existant ; ") + ActionJournal::stepsText(steps.mid(1));
}

Status PupilAccountSteps::startShareScript(const PupilRecord &pupil, const PupilAccount &account)
{
    if (!account.folderSafe)
        return Status::failure(QStringLiteral("Nom de dossier refusé pour ") + account.login);
    return m_services.shell.start(m_services.programFolder() + QStringLiteral("\\perso.bat ")
            + PupilNaming::personalFolder(m_homeRoot, pupil.className, account.login) + QLatin1Char(' ')
            + account.login,
        WindowStyle::Minimized);
}

Status PupilAccountSteps::recordLogin(const PupilAccount &account)
{
    return appendLines(m_services.programFile(QStringLiteral("utilisateurs.txt")), {account.login});
}

QString PupilAccountSteps::unlistedMessage(const QStringList &logins, const Status &why)
{
    if (logins.size() == 1)
        return QStringLiteral("Le compte ") + logins.first()
            + QStringLiteral(" n'a pas été ajouté à la liste des comptes : ") + why.message();
    return QStringLiteral("Les comptes ") + logins.join(QStringLiteral(", "))
        + QStringLiteral(" n'ont pas été ajoutés à la liste des comptes : ") + why.message();
}
