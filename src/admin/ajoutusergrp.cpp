#include "ajoutusergrp.h"

#include "adminsupport.h"
#include "dialogs/dialogopening.h"
#include "directory/directory.h"
#include "directory/dirpaths.h"
#include "journal/actionjournal.h"
#include "program/mainvalues.h"
#include "program/services.h"
#include "program/settingsfiles.h"
#include "ui/formbuilder.h"
#include "ui/paintnow.h"
#include "ui/prompts.h"

#include <QListWidget>
#include <QPushButton>

using namespace AdminSupport;

namespace {
const QString kCaption = QStringLiteral("Ajout d'utilisateur dans un groupe");
}

AjoutUserGrp *AjoutUserGrp::make(Services &services)
{
    auto *dialog = new AjoutUserGrp(services);
    return keepIfLoaded(services.prompts, dialog, dialog->load(), kCaption);
}

AjoutUserGrp::AjoutUserGrp(Services &services)
    : QWidget(nullptr, Qt::Window)
    , m_services(services)
{
    setUpFixedWindow(this, "ajoutusergrp", kCaption, 7095, 4335);
    FormBuilder form(this);
    tsutil = form.listBox(this, "tsutil", 120, 120, 2895, 4095);
    plus = form.button(this, "plus", QStringLiteral("-->"), 3135, 840, 825, 375);
    moins = form.button(this, "moins", QStringLiteral("RAZ"), 3135, 1320, 825, 375);
    ajout = form.button(this, "ajout", QStringLiteral("Ajouter"), 3135, 2520, 825, 375);
    command1 = form.button(this, "Command1", QStringLiteral("Annuler"), 3135, 3000, 825, 375);
    finalList = form.listBox(this, "final", 4080, 120, 2895, 4095);
    // Neither list has a label on the form; their names say what they hold.
    tsutil->setAccessibleName(QStringLiteral("Comptes du serveur"));
    finalList->setAccessibleName(QStringLiteral("Comptes à ajouter au groupe"));
    form.finish();

    plus->setEnabled(false);

    auto enablePlus = [this] { plus->setEnabled(true); };
    connect(tsutil, &QListWidget::itemClicked, this, enablePlus);
    connect(tsutil, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0)
            plus->setEnabled(true);
    });
    connect(finalList, &QListWidget::itemClicked, this, [this] { moins->setEnabled(true); });
    connect(plus, &QPushButton::clicked, this, [this] {
        // Nothing stops an account from being chosen twice: it is then submitted twice.
        const QListWidgetItem *item = tsutil->currentItem();
        finalList->addItem(item ? item->text() : QString());
    });
    connect(moins, &QPushButton::clicked, finalList, &QListWidget::clear);
    connect(ajout, &QPushButton::clicked, this, &AjoutUserGrp::addAll);
    connect(command1, &QPushButton::clicked, this, &QWidget::close);
}

Status AjoutUserGrp::load()
{
    const auto names = SettingsFiles::readDomainNames(m_services.paths);
    if (!names)
        return names.status();
    m_server = names->server;

    auto server = m_services.directory.bind(DirPaths::container(m_server));
    if (!server)
        return server.status();
    return (*server)->enumerate({DirListed::User}, [this](const DirEntry &account) { tsutil->addItem(account.name); });
}

void AjoutUserGrp::addAll()
{
    BusyCaption busy(ajout, QStringLiteral("En cours"));
    for (int i = 0; i < finalList->count(); ++i) {
        const QString entry = finalList->item(i)->text();
        // The group is the one chosen in the main window at the moment of each addition.
        const QString group = m_services.main.chosenGroup();

        Status failed;
        if (group.isEmpty()) {
            failed = Status::failure(QStringLiteral("Aucun groupe n'est choisi dans la fenêtre principale."));
        } else if (auto user = m_services.directory.bind(DirPaths::object(m_server, entry, DirKind::User)); !user) {
            failed = user.status();
        } else if (auto bound = m_services.directory.bind(DirPaths::object(m_server, group, DirKind::Group)); !bound) {
            failed = bound.status();
        } else if (const Status added = (*bound)->add((*user)->adsPath()); !added) {
            failed = added;
        } else if (const Status stored = (*bound)->setInfo(); !stored) {
            failed = stored;
        }
        m_services.journal.record(
            QStringLiteral("ajout à un groupe"), entry + QStringLiteral(" dans ") + group, failed);
        if (!failed.ok()) {
            busy.restore();
            const QString before = i == 0 ? QStringLiteral("Aucun compte n'a été ajouté.")
                : i == 1                  ? QStringLiteral("Le compte placé avant lui dans la liste a été ajouté.")
                         : QStringLiteral("Les %1 comptes placés avant lui dans la liste ont été ajoutés.").arg(i);
            m_services.prompts.message(
                stopMessage(
                    QStringLiteral("Le compte %1 n'a pas été ajouté au groupe %2.").arg(quoted(entry), quoted(group)),
                    failed)
                + u'\r' + before);
            return;
        }
    }
    busy.restore();
    close();
}
