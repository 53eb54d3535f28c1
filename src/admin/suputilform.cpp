#include "suputilform.h"

#include "dialogs/dialogopening.h"
#include "directory/directory.h"
#include "directory/dirpaths.h"
#include "journal/actionjournal.h"
#include "program/services.h"
#include "program/settingsfiles.h"
#include "ui/formbuilder.h"
#include "ui/paintnow.h"
#include "ui/prompts.h"

#include <QGroupBox>
#include <QListWidget>
#include <QPushButton>

namespace {
const QString kCaption = QStringLiteral("Suppression d'un utilisateur");
}

SupUtilForm *SupUtilForm::make(Services &services)
{
    auto *dialog = new SupUtilForm(services);
    return keepIfLoaded(services.prompts, dialog, dialog->load(), kCaption);
}

SupUtilForm::SupUtilForm(Services &services)
    : QWidget(nullptr, Qt::Window)
    , m_services(services)
{
    setUpFixedWindow(this, "suputilform", kCaption, 7335, 4800);
    FormBuilder form(this);
    QGroupBox *frame
        = form.frame(this, "Frame1", QStringLiteral("Suppression d 'un utilisateur"), 120, 120, 7095, 4560);
    lstUser = form.listBox(frame, "lst_user", 120, 360, 2895, 4035);
    cmdAjsel = form.button(frame, "cmd_ajsel", QStringLiteral("-->"), 3135, 1440, 825, 375);
    cmdRaz = form.button(frame, "cmd_raz", QStringLiteral("RAZ"), 3135, 1920, 825, 375);
    lstSelec = form.listBox(frame, "lst_selec", 4080, 360, 2895, 3435);
    cmdSupp = form.button(frame, "cmd_supp", QStringLiteral("Supprimer la selection"), 4080, 3900, 1815, 375);
    cmdAnnul = form.button(frame, "cmd_annul", QStringLiteral("Annuler"), 6000, 3900, 975, 375);
    lstUser->setAccessibleName(QStringLiteral("Comptes du serveur"));
    lstSelec->setAccessibleName(QStringLiteral("Comptes à supprimer"));
    form.finish();

    connect(cmdAjsel, &QPushButton::clicked, this, [this] {
        // Nothing chosen appends an empty entry, and a name may be chosen twice: both are passed
        // over when the selection is deleted.
        const QListWidgetItem *item = lstUser->currentItem();
        lstSelec->addItem(item ? item->text() : QString());
    });
    connect(cmdRaz, &QPushButton::clicked, lstSelec, &QListWidget::clear);
    connect(cmdSupp, &QPushButton::clicked, this, &SupUtilForm::deleteSelection);
    connect(cmdAnnul, &QPushButton::clicked, this, &QWidget::close);
}

Status SupUtilForm::load()
{
    const auto names = SettingsFiles::readDomainNames(m_services.paths);
    if (!names)
        return names.status();
    m_server = names->server;
    auto server = m_services.directory.bind(DirPaths::container(m_server));
    if (!server)
        return server.status();
    return (*server)->enumerate({DirListed::User}, [this](const DirEntry &account) { lstUser->addItem(account.name); });
}

void SupUtilForm::deleteSelection()
{
    BusyCaption busy(cmdSupp, QStringLiteral("En cours ..."));
    for (int i = 0; i < lstSelec->count(); ++i) {
        const QString entry = lstSelec->item(i)->text();
        // An entry that names no account (empty, or already deleted above) is passed over.
        if (entry.isEmpty())
            continue;
        auto server = m_services.directory.bind(DirPaths::container(m_server));
        m_services.journal.record(QStringLiteral("suppression d'un compte"), entry,
            server ? (*server)->deleteObject(DirKind::User, entry) : server.status());
    }
    lstSelec->clear();
    busy.restore();
    close();
}
