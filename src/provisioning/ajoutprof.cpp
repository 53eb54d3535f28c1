#include "ajoutprof.h"

#include "dialogs/dialogopening.h"
#include "directory/newaccount.h"
#include "enrolsupport.h"
#include "journal/actionjournal.h"
#include "program/mainvalues.h"
#include "program/services.h"
#include "provisioningfolders.h"
#include "pupilnaming.h"
#include "shell/shell.h"
#include "teachers.h"
#include "text/fieldreader.h"
#include "text/windowsnames.h"
#include "ui/formbuilder.h"
#include "ui/paintnow.h"
#include "ui/prompts.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using namespace EnrolSupport;

QString AjoutProf::caption()
{
    return QStringLiteral("Ajout d'un professeur");
}

AjoutProf *AjoutProf::make(Services &services)
{
    auto *dialog = new AjoutProf(services);
    return keepIfLoaded(services.prompts, dialog, dialog->load(), caption());
}

AjoutProf::AjoutProf(Services &services)
    : QWidget(nullptr, Qt::Window)
    , m_services(services)
{
    setUpFixedWindow(this, "ajoutprof", caption(), 5520, 3480);
    FormBuilder form(this);
    auto *label4 = form.label(this, "Label4",
        QStringLiteral("Cette fonction est utilisée pour créer un Professeur, ceci englobe la "
                       "création du compte, des permissions et des des répertoires."),
        240, 120, 5040, 615);
    label4->setWordWrap(true);

    form.label(this, "Label1", QStringLiteral("Nom :"), 240, 960, 1215, 255);
    txtNom = form.textBox(this, "txt_nom", {}, 1560, 900, 3015, 285);
    form.label(this, "Label2", QStringLiteral("Prenom :"), 240, 1500, 1215, 255);
    txtPrenom = form.textBox(this, "txt_prenom", {}, 1560, 1440, 3015, 285);
    form.label(this, "Label3", QStringLiteral("discipline :"), 240, 2040, 1215, 255);
    cboMat = form.comboBox(this, "cbo_mat", 1560, 1980, 3015, 315);
    cboMat->setEditable(true);
    cboMat->setInsertPolicy(QComboBox::NoInsert);

    cmdCreer = form.button(this, "cmd_créer", QStringLiteral("Créer"), 1080, 2760, 1575, 375);
    cmdAnnuler = form.button(this, "cmd_annuler", QStringLiteral("Annuler"), 2880, 2760, 1575, 375);
    form.finish();
    cmdCreer->setObjectName(QStringLiteral("cmd_créer"));
    cmdCreer->setDefault(true);

    connect(cmdCreer, &QPushButton::clicked, this, &AjoutProf::create);
    connect(cmdAnnuler, &QPushButton::clicked, this, &QWidget::close);
}

Status AjoutProf::load()
{
    // Nobody writes the discipline list but the administrator: without it the list is empty and a
    // discipline can still be typed.
    const QString disciplines = m_services.programFile(QStringLiteral("mat.txt"));
    if (auto reader = FieldReader::open(disciplines)) {
        while (!reader->atEnd())
            cboMat->addItem(reader->field());
    }
    cboMat->setCurrentIndex(-1);
    cboMat->setEditText(QString());

    const auto names = readNames(m_services.paths);
    if (!names)
        return names.status();
    m_server = names->server;
    return {};
}

void AjoutProf::create()
{
    const QString surname = txtNom->text();
    const QString firstName = txtPrenom->text();
    if (surname.trimmed().isEmpty() || firstName.trimmed().isEmpty()) {
        m_services.prompts.message(QStringLiteral("Veuillez indiquer le nom et le prénom du professeur : "
                                                  "aucun compte n'a été créé."));
        return;
    }
    const QString login = WindowsNames::teacherLogin(surname, firstName);
    // The login names the folder, the share and a line of the teacher list: a space, a comma or a
    // backslash in it would make the commands address another folder or share.
    if (!WindowsNames::isCommandWord(login)) {
        m_services.prompts.message(QStringLiteral("Le nom de compte ") + login
            + QStringLiteral(" ne peut pas servir de nom de dossier.") + u'\r'
            + QStringLiteral("Entrez le nom et le prénom sans espaces, virgules ni barres "
                             "obliques (utilisez des tirets) : aucun compte n'a été créé."));
        return;
    }

    BusyCaption busy(cmdCreer, QStringLiteral("En cours ..."));
    if (Status served = m_services.shell.checkSharesServed(); !served) {
        m_services.prompts.message(served.message() + QStringLiteral("\rAucun compte n'a été créé."));
        return;
    }
    const QString homeRoot = m_services.main.homeRoot();
    const QString folder = Teachers::folder(homeRoot, login);
    const QString discipline = cboMat->currentText();

    const Status folderMade = makeFolder(m_services.paths, folder);
    NewAccount account;
    account.login = login;
    account.fullName = surname + u' ' + firstName;
    account.description = QStringLiteral("Professeur de : ") + discipline;
    account.homeDirectory = PupilNaming::homeDirectory(m_server, login);
    account.logonScript = QStringLiteral("profslogon.bat");
    account.groups = {QStringLiteral("profs")};
    // The steps after the account are passed over when they fail, as the enrolment goes on: the
    // message tells whether the account exists, the journal what became of each step.
    const AccountReport made = makeAccount(m_services.directory, m_server, account);
    const Status &created = made.created;
    const Status &homeAndScript = made.properties;
    const Status &joined = made.groups.at(0).joined;
    const Status listed = Teachers::append(m_services.paths, login);
    const Status shared = m_services.shell.start(
        m_services.programFolder() + QStringLiteral("\\prof.bat ") + folder + u' ' + login, WindowStyle::Minimized);
    m_services.journal.record(QStringLiteral("ajout d'un professeur"), login,
        ActionJournal::stepsText({{QStringLiteral("compte"), created}, {QStringLiteral("propriétés"), homeAndScript},
            {QStringLiteral("groupe profs"), joined}, {QStringLiteral("dossier"), folderMade},
            {QStringLiteral("partage"), shared}, {QStringLiteral("liste"), listed}}));

    QString text = created ? addedMessage(login)
                           : QStringLiteral("Le compte ") + login
            + QStringLiteral(" n'a pas pu être créé : un compte de ce nom existe peut-être déjà.");
    if (!listed)
        text += u'\r' + QStringLiteral("Il n'a pas été ajouté à la liste des professeurs : ") + listed.message();
    m_services.prompts.message(text);

    txtNom->clear();
    txtPrenom->clear();
    cboMat->setEditText(QString());
}
