#include "newaccount.h"

#include "directory.h"
#include "dirpaths.h"

namespace {

const QString notMade = QStringLiteral("le compte n'a pas été créé");

} // namespace

Status AccountReport::joined(const QString &group) const
{
    for (const GroupStep &step : groups) {
        if (step.group == group)
            return step.joined;
    }
    return Status::failure(QStringLiteral("Le compte n'a pas été ajouté au groupe %1.").arg(group));
}

AccountReport makeAccount(Directory &directory, const QString &serverName, const NewAccount &account)
{
    using PasswordTime = NewAccount::PasswordTime;
    AccountReport report;

    DirObjectPtr user;
    auto container = directory.bind(DirPaths::container(serverName));
    auto made = !container ? Result<DirObjectPtr>(container.status())
        : account.existing ? directory.bind(DirPaths::object(serverName, account.login, DirKind::User))
                           : (*container)->create(DirKind::User, account.login);
    if (made) {
        user = std::move(*made);
        // A property refused leaves the account unwritten.
        report.created = user->put(DirProperty::FullName, account.fullName);
        if (report.created)
            report.created = user->put(DirProperty::Description, account.description);
        // Refused, the password is told apart and the account is written without it.
        if (report.created && account.passwordTime == PasswordTime::WithAccount)
            report.passwordSet = user->setPassword(account.password);
        if (report.created)
            report.created = user->setInfo();
    } else {
        report.created = made.status();
    }
    if (!report.created && account.passwordTime != PasswordTime::Never && report.passwordSet)
        report.passwordSet = Status::failure(notMade);

    if (!account.homeDirectory.isEmpty() || !account.logonScript.isEmpty())
        report.properties = AccountSteps::setHomeAndScript(
            directory, serverName, account.login, account.homeDirectory, account.logonScript);
    for (const QString &group : account.groups)
        report.groups.append({group, AccountSteps::joinGroup(directory, serverName, account.login, group)});

    if (account.passwordTime == PasswordTime::Last && report.made()) {
        report.passwordSet = user->setPassword(account.password);
        if (report.passwordSet)
            report.passwordSet = user->setInfo();
    }
    return report;
}

QList<AccountReport> Directory::makeAccounts(const QString &serverName, const QList<NewAccount> &accounts)
{
    QList<AccountReport> reports;
    reports.reserve(accounts.size());
    for (const NewAccount &account : accounts)
        reports.append(makeAccount(*this, serverName, account));
    return reports;
}

namespace AccountSteps {

Status passwordOfUnmade()
{
    return Status::failure(notMade);
}

Status setHomeAndScript(
    Directory &directory, const QString &serverName, const QString &login, const QString &home, const QString &script)
{
    auto user = directory.bind(DirPaths::object(serverName, login));
    if (!user)
        return user.status();
    if (Status s = (*user)->put(DirProperty::HomeDirectory, home); !s)
        return s;
    if (Status s = (*user)->put(DirProperty::LoginScript, script); !s)
        return s;
    return (*user)->setInfo();
}

Status joinGroup(Directory &directory, const QString &serverName, const QString &login, const QString &group)
{
    auto user = directory.bind(DirPaths::object(serverName, login, DirKind::User));
    if (!user)
        return user.status();
    auto bound = directory.bind(DirPaths::object(serverName, group, DirKind::Group));
    if (!bound)
        return bound.status();
    if (Status added = (*bound)->add((*user)->adsPath()); !added)
        return added;
    return (*bound)->setInfo();
}

} // namespace AccountSteps
