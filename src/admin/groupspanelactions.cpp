// What the groups panel does: the snapshot of groups and accounts, the members of a group, the
// details of a member, and the changes to groups and membership made from the main window.

#include "adminsupport.h"
#include "directory/directory.h"
#include "directory/dirpaths.h"
#include "groupspanel.h"
#include "journal/actionjournal.h"
#include "program/mainvalues.h"
#include "program/services.h"
#include "ui/paintnow.h"
#include "ui/prompts.h"

#include <QDateTime>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

using namespace AdminSupport;

namespace {

// The last logon as the domain's tools show it, in local time: 09/12/2026 14:05:00.
QString logonText(const QVariant &value)
{
    const QDateTime when = value.toDateTime();
    if (!when.isValid())
        return {};
    return when.toLocalTime().toString(QStringLiteral("dd/MM/yyyy HH:mm:ss"));
}

} // namespace

QString GroupsPanel::serverPath() const
{
    return DirPaths::container(m_services.main.serverName());
}

QString GroupsPanel::chosenGroupText() const
{
    const QListWidgetItem *item = grp->currentItem();
    return item ? item->text() : QString();
}

QString GroupsPanel::chosenMemberText() const
{
    const QListWidgetItem *item = util->currentItem();
    return item ? item->text() : QString();
}

void GroupsPanel::refresh()
{
    // Every step here may fail on its own; what could be read is shown, the rest stays empty.
    grp->clear();
    grputil->setText(QStringLiteral("Chargement..."));
    paintNow(grputil);
    int count = 0;

    if (auto server = m_services.directory.bind(serverPath())) {
        // The groups read before a failure stay listed; the count is still taken.
        skipAndContinue((*server)->enumerate(
            {DirListed::GlobalGroup}, [this](const DirEntry &group) { grp->addItem(group.name); }));
    }
    grputil->setText(QStringLiteral("Rappatrier Groupes et Utilisateurs actuels"));
    paintNow(grputil);

    // Only the count binds the domain rather than the server; only accounts count as users.
    if (auto domain = m_services.directory.bind(DirPaths::container(m_services.main.domainName()))) {
        // The accounts counted before a failure are shown.
        skipAndContinue((*domain)->enumerate({}, [this, &count](const DirEntry &child) {
            if (child.kind == DirKind::User && count < m_userCountCap)
                ++count;
        }));
    }
    lblUsers->setText(QStringLiteral("Utilisateurs : ") + QString::number(count));
    lblUsers->adjustSize();
    lblUsers->show();

    grpplus->setEnabled(true);
    utilplus->setEnabled(true);
}

void GroupsPanel::chooseGroup()
{
    util->clear();
    grpmoins->setEnabled(true);
    utilplus->setEnabled(true);

    // Listing stops at the first failure and says so; the members read until then stay listed.
    const QString group = chosenGroupText();
    const QString what = QStringLiteral("Les membres du groupe %1 n'ont pas pu être lus.").arg(quoted(group));
    if (group.isEmpty()) {
        m_services.prompts.message(
            stopMessage(what, Status::failure(QStringLiteral("Aucun groupe n'est choisi dans la liste des groupes."))));
        return;
    }
    auto bound = m_services.directory.bind(DirPaths::object(m_services.main.serverName(), group));
    if (!bound) {
        m_services.prompts.message(stopMessage(what, bound.status()));
        return;
    }
    const Status listed = (*bound)->members([this](const DirEntry &member) {
        if (member.kind == DirKind::User)
            util->addItem(member.name);
    });
    if (!listed)
        m_services.prompts.message(stopMessage(what, listed));
}

void GroupsPanel::chooseMember()
{
    utilmoins->setEnabled(true);
    cmdInfouser->setEnabled(true);
}

void GroupsPanel::showDetails()
{
    // Names are compared exactly, letter case included; anything not found leaves its value empty.
    const QString wanted = chosenMemberText();
    QString name;
    QString lastLogon;
    QString accountPath;
    if (auto server = m_services.directory.bind(serverPath())) {
        // An account not reached leaves the details empty, which the message shows.
        skipAndContinue((*server)->enumerate({}, [&](const DirEntry &child) {
            if (accountPath.isEmpty() && child.kind == DirKind::User && child.name == wanted) {
                name = child.name;
                accountPath = child.adsPath;
            }
        }));
    }
    if (!accountPath.isEmpty()) {
        if (auto account = m_services.directory.bind(accountPath)) {
            if (auto when = (*account)->get(DirProperty::LastLogin))
                lastLogon = logonText(*when);
        }
    }
    m_services.prompts.message(
        QStringLiteral("Nom :") + name + u'\r' + QStringLiteral("Derniere session :") + lastLogon);
}

void GroupsPanel::createGroup()
{
    // A cancelled or empty name creates nothing; the snapshot is fetched again in every case.
    const std::optional<QString> typed = m_services.prompts.input(QStringLiteral("Nom du groupe global à créer: "));
    const QString name = typed.value_or(QString());
    if (!name.isEmpty()) {
        // Each step is tried as before; the journal keeps the first that failed.
        Status made;
        auto server = m_services.directory.bind(serverPath());
        auto group = server ? (*server)->create(DirKind::Group, name) : Result<DirObjectPtr>(server.status());
        if (group) {
            made = (*group)->put(DirProperty::GroupType, globalGroupType);
            const Status stored = (*group)->setInfo();
            if (made)
                made = stored;
        } else {
            made = group.status();
        }
        m_services.journal.record(QStringLiteral("création d'un groupe"), name, made);
    }
    refresh();
}

void GroupsPanel::deleteGroup()
{
    if (!m_services.prompts.confirm(QStringLiteral("Etes vous sûr de vouloir supprimer ?"), QStringLiteral("Velmar")))
        return;
    const QString group = chosenGroupText();
    const QString what = QStringLiteral("Le groupe %1 n'a pas été supprimé.").arg(quoted(group));
    if (group.isEmpty()) {
        m_services.prompts.message(
            stopMessage(what, Status::failure(QStringLiteral("Aucun groupe n'est choisi dans la liste des groupes."))));
        return;
    }
    auto server = m_services.directory.bind(serverPath());
    const Status deleted = server ? (*server)->deleteObject(DirKind::Group, group) : server.status();
    m_services.journal.record(QStringLiteral("suppression d'un groupe"), group, deleted);
    if (!deleted) {
        m_services.prompts.message(stopMessage(what, deleted));
        return;
    }
    refresh();
}

void GroupsPanel::removeMember()
{
    if (!m_services.prompts.confirm(QStringLiteral("Etes vous sûr de vouloir supprimer ?"), QStringLiteral("Velmar")))
        return;
    // A step that fails is passed over; the member list read again shows what the directory holds.
    const QString server = m_services.main.serverName();
    auto user = m_services.directory.bind(DirPaths::object(server, chosenMemberText(), DirKind::User));
    auto group = m_services.directory.bind(DirPaths::object(server, chosenGroupText(), DirKind::Group));
    Status removed = group ? (user ? Status() : user.status()) : group.status();
    if (group) {
        if (user)
            removed = (*group)->remove((*user)->adsPath());
        const Status stored = (*group)->setInfo();
        if (removed)
            removed = stored;
    }
    m_services.journal.record(QStringLiteral("retrait d'un groupe"),
        chosenMemberText() + QStringLiteral(" de ") + chosenGroupText(), removed);
    chooseGroup();
}
