#include "deverouillage.h"

#include "adminsupport.h"
#include "directory/directory.h"
#include "directory/dirpaths.h"
#include "journal/actionjournal.h"
#include "program/services.h"
#include "program/settingsfiles.h"
#include "ui/formbuilder.h"
#include "ui/paintnow.h"
#include "ui/prompts.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>

using namespace AdminSupport;

Deverouillage *Deverouillage::make(Services &services)
{
    auto *dialog = new Deverouillage(services);
    dialog->load();
    return dialog;
}

Deverouillage::Deverouillage(Services &services)
    : QWidget(nullptr, Qt::Window)
    , m_services(services)
{
    setUpFixedWindow(this, "deverouillage", QStringLiteral("Déverouiller un utilisateur"), 6240, 1500);
    FormBuilder form(this);
    label1 = form.label(this, "Label1",
        QStringLiteral("Cette fonction est utile lorsqu'un utilisateur se fait verouiller son compte "
                       "par un trop grand nombre d'ouvertures de session infructueuses"),
        120, 120, 6000, 615);
    label1->setWordWrap(true);
    listUtilisateurs = form.comboBox(this, "list_utilisateurs", 120, 960, 3135, 315);
    listUtilisateurs->setEditable(true);
    listUtilisateurs->setInsertPolicy(QComboBox::NoInsert);
    listUtilisateurs->setAccessibleName(QStringLiteral("Compte à déverrouiller"));
    cmdDever = form.button(this, "cmd_dever", QStringLiteral("Déverouiller"), 3375, 930, 1335, 375);
    cmdAnnul = form.button(this, "cmd_annul", QStringLiteral("Annuler"), 4830, 930, 1215, 375);
    form.finish();

    connect(cmdDever, &QPushButton::clicked, this, &Deverouillage::unlock);
    connect(cmdAnnul, &QPushButton::clicked, this, &QWidget::close);
}

void Deverouillage::load()
{
    if (const auto names = SettingsFiles::readDomainNames(m_services.paths))
        m_server = names->server;
    if (auto server = m_services.directory.bind(DirPaths::container(m_server))) {
        // Without the directory the list stays short or empty; a name can still be typed.
        skipAndContinue((*server)->enumerate({}, [this](const DirEntry &child) {
            if (child.kind == DirKind::User)
                listUtilisateurs->addItem(child.name);
        }));
    }
    // The field starts empty, ready for a name to be typed or chosen.
    listUtilisateurs->setCurrentIndex(-1);
    listUtilisateurs->setEditText(QString());
}

void Deverouillage::unlock()
{
    BusyCaption busy(cmdDever, QStringLiteral("En cours ..."));
    const QString name = listUtilisateurs->currentText();
    QString shown;
    QString outcome;
    // A name typed by hand goes into the path as it is.
    auto account = m_services.directory.bind(DirPaths::object(m_server, name));
    const auto locked = account ? (*account)->get(DirProperty::IsAccountLocked) : Result<QVariant>(account.status());
    if (!account) {
        shown = stopMessage(QStringLiteral("Aucun compte %1 n'a été trouvé : rien n'a été changé.").arg(quoted(name)),
            account.status());
        outcome = ActionJournal::outcomeText(account.status());
    } else if (!locked) {
        shown = stopMessage(
            QStringLiteral("L'état du compte %1 n'a pas pu être lu : rien n'a été changé.").arg(quoted(name)),
            locked.status());
        outcome = ActionJournal::outcomeText(locked.status());
    } else if (locked->toBool()) {
        Status unlocked = (*account)->put(DirProperty::IsAccountLocked, false);
        if (unlocked)
            unlocked = (*account)->setInfo();
        // The success message is kept for an unlock that really reached the directory.
        shown = unlocked
            ? QStringLiteral("Utilisateur déverouillé.")
            : stopMessage(QStringLiteral("Le compte %1 n'a pas pu être déverrouillé.").arg(quoted(name)), unlocked);
        outcome = ActionJournal::outcomeText(unlocked);
    } else {
        shown = QStringLiteral("Cet utilisateur n'est pas vérouillé !");
        outcome = QStringLiteral("rien à faire : le compte n'était pas verrouillé");
    }
    m_services.journal.record(QStringLiteral("déverrouillage"), name, outcome);
    busy.restore();
    m_services.prompts.message(shown);
    close();
}
