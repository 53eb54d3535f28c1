#include "pupilaccount.h"

#include "accountsteps.h"
#include "directory/directory.h"
#include "dirpaths.h"
#include "passwordgenerator.h"
#include "provisioningfolders.h"
#include "pupilnaming.h"
#include "services.h"
#include "shell/shell.h"
#include "text/textwriter.h"

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
    PupilAccount account;
    account.login = PupilNaming::login(pupil.className, pupil.surname, pupil.firstNames);
    account.folderSafe = PupilNaming::isFolderName(pupil.className) && PupilNaming::isFolderName(account.login);

    if (account.folderSafe)
        makeFolder(m_services, PupilNaming::personalFolder(m_homeRoot, pupil.className, account.login));
    createAccount(pupil, account);
    AccountSteps::setHomeAndScript(m_services, m_serverName, account.login, pupil.className + QStringLiteral(".bat"));
    AccountSteps::joinGroups(m_services, m_serverName, account.login, {pupil.className, QStringLiteral("eleves")});
    return account;
}

void PupilAccountSteps::createAccount(const PupilRecord &pupil, PupilAccount &account)
{
    auto container = m_services.directory->bind(DirPaths::container(m_serverName));
    Result<DirObjectPtr> user = container ? (*container)->create(QStringLiteral("User"), account.login)
                                          : Result<DirObjectPtr>(container.status());
    if (user) {
        (*user)->put(QStringLiteral("FullName"), QString(pupil.surname + QLatin1Char(' ') + pupil.firstNames));
        (*user)->put(QStringLiteral("Description"), description(pupil.className));
    }
    // Drawn whatever happened, so that each pupil takes one password from the sequence.
    account.password = m_services.passwords->getpass(6);
    if (!user)
        return;
    account.passwordSet = bool((*user)->setPassword(account.password));
    account.created = bool((*user)->setInfo());
}

Status PupilAccountSteps::startShareScript(const PupilRecord &pupil, const PupilAccount &account)
{
    if (!account.folderSafe)
        return Status::failure(QStringLiteral("Nom de dossier refusé pour ") + account.login);
    return m_services.shell->start(m_services.programFolder() + QStringLiteral("\\perso.bat ")
            + PupilNaming::personalFolder(m_homeRoot, pupil.className, account.login) + QLatin1Char(' ')
            + account.login,
        WindowStyle::Minimized);
}

Status PupilAccountSteps::recordLogin(const PupilAccount &account)
{
    return appendLines(m_services.programFile(QStringLiteral("utilisateurs.txt")), {account.login});
}
