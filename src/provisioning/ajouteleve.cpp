#include "ajouteleve.h"

#include "dialogs/dialogopening.h"
#include "directory/directory.h"
#include "directory/dirpaths.h"
#include "enrolsupport.h"
#include "journal/actionjournal.h"
#include "program/mainvalues.h"
#include "program/services.h"
#include "pupilaccount.h"
#include "pupilpolicy.h"
#include "shell/shell.h"
#include "ui/formbuilder.h"
#include "ui/paintnow.h"
#include "ui/prompts.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using namespace EnrolSupport;

QString AjoutEleve::caption()
{
    return QStringLiteral("Ajouter un élève");
}

AjoutEleve *AjoutEleve::make(Services &services)
{
    auto *dialog = new AjoutEleve(services);
    return keepIfLoaded(services.prompts, dialog, dialog->load(), caption());
}

AjoutEleve::AjoutEleve(Services &services)
    : QWidget(nullptr, Qt::Window)
    , m_services(services)
{
    setUpFixedWindow(this, "ajouteleve", caption(), 7560, 4200);
    FormBuilder form(this);
    label4 = form.label(this, "Label4",
        QStringLiteral("Cette fonction est utilisée pour créer un Eleve, ceci englobe la création du "
                       "compte, des permissions et des des répertoires."),
        240, 120, 7080, 495);
    label4->setWordWrap(true);

    form.label(this, "Label1", QStringLiteral("Nom :"), 240, 840, 1095, 255);
    txtNom = form.textBox(this, "txt_nom", {}, 1440, 780, 3015, 285);
    form.label(this, "Label7", QStringLiteral("(Entrer le nom sans espaces ni apostrophe, utiliser des tirets)"), 1440,
        1110, 5880, 255);

    form.label(this, "Label2", QStringLiteral("Prénoms :"), 240, 1620, 1095, 255);
    txtPrenom = form.textBox(this, "txt_prenom", {}, 1440, 1560, 3015, 285);
    form.label(this, "Label6", QStringLiteral("(Inscrire tous les prenoms sans espaces, utiliser des tirets)"), 1440,
        1890, 5880, 255);

    form.label(this, "Label3", QStringLiteral("Groupe :"), 240, 2400, 1095, 255);
    listSec = form.comboBox(this, "list_sec", 1440, 2340, 3015, 315);
    listSec->setEditable(true);
    listSec->setInsertPolicy(QComboBox::NoInsert);
    auto *label5 = form.label(this, "Label5",
        QStringLiteral("(Le groupe correspond à la section dans laquelle se trouve l'élève, par ex: TS8)"), 1440, 2700,
        5880, 495);
    label5->setWordWrap(true);

    cmdCrer = form.button(this, "cmd_crer", QStringLiteral("Créer"), 1440, 3480, 1575, 375);
    cmdAnnul = form.button(this, "cmd_annul", QStringLiteral("Annuler"), 3480, 3480, 1575, 375);
    form.finish();
    cmdCrer->setDefault(true);

    connect(cmdCrer, &QPushButton::clicked, this, &AjoutEleve::create);
    connect(cmdAnnul, &QPushButton::clicked, this, &QWidget::close);
}

Status AjoutEleve::load()
{
    const auto names = readNames(m_services.paths);
    if (!names)
        return names.status();
    m_server = names->server;

    auto server = m_services.directory.bind(DirPaths::container(m_server));
    if (!server)
        return server.status();
    // Every group of the server is offered, not only the class groups.
    const Status listed = (*server)->enumerate({}, [this](const DirEntry &entry) {
        if (entry.kind == DirKind::Group)
            listSec->addItem(entry.name);
    });
    // The class is chosen, never taken by default.
    listSec->setCurrentIndex(-1);
    listSec->setEditText(QString());
    return listed;
}

QString AjoutEleve::createdMessage(const QString &login, const QString &password)
{
    return addedMessage(login) + u'\r' + QStringLiteral(" ATTENTION SON MOT DE PASSE EST : ") + password
        + QStringLiteral("  notez le !!");
}

void AjoutEleve::create()
{
    PupilRecord pupil {txtNom->text(), txtPrenom->text(), listSec->currentText()};
    // An account named after the class alone, or without a class, is never what was meant.
    if (pupil.surname.trimmed().isEmpty() || pupil.firstNames.trimmed().isEmpty()
        || pupil.className.trimmed().isEmpty()) {
        m_services.prompts.message(QStringLiteral("Veuillez indiquer le nom, les prénoms et le groupe de l'élève : "
                                                  "aucun compte n'a été créé."));
        return;
    }

    BusyCaption busy(cmdCrer, QStringLiteral("En cours ..."));
    // Nothing is written when the share would not be served or the domain would refuse the password.
    if (Status served = m_services.shell.checkSharesServed(); !served) {
        m_services.prompts.message(served.message() + QStringLiteral("\rAucun compte n'a été créé."));
        return;
    }
    if (Status admitted = PupilPolicy::check(m_services.directory); !admitted) {
        m_services.prompts.message(admitted.message());
        return;
    }
    PupilAccountSteps steps(m_services, m_server, m_services.main.homeRoot());
    PupilAccount account = steps.create(pupil);
    // The list line comes before the share script, so that the list holds the pupil whatever the
    // script does.
    account.listed = steps.recordLogin(account);
    account.shareScript = steps.startShareScript(pupil, account);
    const Status &listed = account.listed;
    m_services.journal.record(QStringLiteral("ajout d'un élève"), account.login, account.stepsText(pupil.className));

    QString text;
    if (account.holdsPassword()) {
        text = createdMessage(account.login, account.password);
    } else if (account.created()) {
        text = QStringLiteral("Le compte ") + account.login
            + QStringLiteral(" a été créé, mais son mot de passe n'a pas pu être défini.") + u'\r'
            + QStringLiteral("Donnez-lui un mot de passe avant de le communiquer à l'élève.") + u'\r'
            + account.passwordSet.message();
    } else {
        // The drawn password belongs to no account: showing it would hand out a password that fails.
        text = QStringLiteral("Le compte ") + account.login
            + QStringLiteral(" n'a pas pu être créé : un compte de ce nom existe peut-être déjà.") + u'\r'
            + QStringLiteral("Aucun mot de passe ne lui a été attribué.");
    }
    // Without its line the account would escape the removal of all pupils at the end of the year.
    if (!listed)
        text += u'\r' + PupilAccountSteps::unlistedMessage({account.login}, listed);
    m_services.prompts.message(text);
    text.clear();
    account.password.clear();

    txtNom->clear();
    txtPrenom->clear();
    listSec->setEditText(QString());
}
