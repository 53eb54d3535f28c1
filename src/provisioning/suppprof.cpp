#include "suppprof.h"

#include "dialogs/dialogopening.h"
#include "directory/directory.h"
#include "directory/dirpaths.h"
#include "enrolsupport.h"
#include "journal/actionjournal.h"
#include "program/mainvalues.h"
#include "program/services.h"
#include "shell/shell.h"
#include "teachers.h"
#include "text/windowsnames.h"
#include "ui/formbuilder.h"
#include "ui/paintnow.h"
#include "ui/prompts.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>

using namespace EnrolSupport;

QString SuppProf::caption()
{
    return QStringLiteral("suppression d'un professeur");
}

SuppProf *SuppProf::make(Services &services)
{
    auto *dialog = new SuppProf(services);
    return keepIfLoaded(services.prompts, dialog, dialog->load(), caption());
}

SuppProf::SuppProf(Services &services)
    : QWidget(nullptr, Qt::Window)
    , m_services(services)
{
    setUpFixedWindow(this, "suppprof", caption(), 5520, 2640);
    FormBuilder form(this);
    auto *label4 = form.label(this, "Label4",
        QStringLiteral("Cette fonction est utilisée pour supprimer un Professeur, ceci englobe la "
                       "suppression du compte, des permissions et des des répertoires."),
        240, 120, 5040, 615);
    label4->setWordWrap(true);

    form.label(this, "Label1", QStringLiteral("Professeurs :"), 240, 1080, 1215, 255);
    cboProf = form.comboBox(this, "cbo_prof", 1560, 1020, 3015, 315);
    cboProf->setEditable(true);
    cboProf->setInsertPolicy(QComboBox::NoInsert);

    cmdSupp = form.button(this, "cmd_supp", QStringLiteral("Supprimer"), 1080, 1920, 1575, 375);
    cmdAnnul = form.button(this, "cmd_annul", QStringLiteral("Annuler"), 2880, 1920, 1575, 375);
    form.finish();

    connect(cmdSupp, &QPushButton::clicked, this, &SuppProf::remove);
    connect(cmdAnnul, &QPushButton::clicked, this, &QWidget::close);
}

Status SuppProf::load()
{
    const auto names = readNames(m_services.paths);
    if (!names)
        return names.status();
    m_server = names->server;

    const auto teachers = Teachers::read(m_services.paths);
    if (!teachers)
        return teachers.status();
    cboProf->addItems(*teachers);
    cboProf->setCurrentIndex(-1);
    cboProf->setEditText(QString());
    return {};
}

void SuppProf::remove()
{
    const QString login = cboProf->currentText();
    if (login.trimmed().isEmpty()) {
        // The share "$" and the whole teachers' folder are never meant.
        m_services.prompts.message(QStringLiteral("Veuillez choisir le professeur à supprimer : rien n'a été "
                                                  "supprimé."));
        return;
    }
    if (!WindowsNames::isCommandWord(login)) {
        m_services.prompts.message(QStringLiteral("Le nom ") + login
            + QStringLiteral(" ne désigne pas un seul dossier ni un seul partage : rien n'a "
                             "été supprimé."));
        return;
    }

    BusyCaption busy(cmdSupp, QStringLiteral("En cours ..."));
    const QString homeRoot = m_services.main.homeRoot();

    auto container = m_services.directory.bind(DirPaths::container(m_server));
    const Status deleted = container ? (*container)->deleteObject(DirKind::User, login) : container.status();
    const Status unshared = m_services.shell.start(
        QStringLiteral("cmd.exe /c net share ") + login + QStringLiteral("$ /delete /y"), WindowStyle::Minimized);
    const Status removed = m_services.shell.start(
        QStringLiteral("cmd.exe /c rd /s/q ") + Teachers::folder(homeRoot, login), WindowStyle::Minimized);

    // The list is written anew in one step, so that no earlier leftover and no interrupted rewrite
    // can add or lose a teacher.
    const Status rewritten = Teachers::remove(m_services.paths, login);
    m_services.journal.record(QStringLiteral("suppression d'un professeur"), login,
        ActionJournal::stepsText({{QStringLiteral("compte"), deleted}, {QStringLiteral("partage"), unshared},
            {QStringLiteral("dossier"), removed}, {QStringLiteral("liste"), rewritten}}));

    QString text = QStringLiteral("Vous avez supprimé le professeur : ") + login;
    if (!rewritten)
        text += u'\r' + QStringLiteral("La liste des professeurs n'a pas été modifiée : ") + rewritten.message();
    m_services.prompts.message(text);

    cboProf->setEditText(QString());
    busy.restore();
    close();
}
