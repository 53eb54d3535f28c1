#include "suppmail.h"

#include "journal/actionjournal.h"
#include "program/services.h"
#include "shell/shell.h"
#include "text/pathresolver.h"
#include "toolsdialogs.h"
#include "ui/formbuilder.h"
#include "ui/prompts.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {
const QString kAction = QStringLiteral("vidage des boites mail");
}

SuppMail::SuppMail(Services &services)
    : m_services(services)
{
    ToolsDialogs::setUpWindow(this, "suppmail", QStringLiteral("Vider les boites mail"), 5445, 945);

    FormBuilder form(this);
    QLabel *label1 = form.label(this, "Label1", QStringLiteral("Chemin de la messagerie :"), 600, 120, 2055, 255);
    m_path = form.textBox(this, "txt_chem", QStringLiteral("f:\\messagerie"), 2520, 120, 2415, 285);
    QPushButton *efface = form.button(this, "cmd_efface", QStringLiteral("Effacer"), 840, 600, 1215, 255);
    QPushButton *annul = form.button(this, "cmd_annul", QStringLiteral("Annuler"), 3240, 600, 1335, 255);
    form.finish();
    // The form was drawn for a narrower face: rather than run under the box, the label moves left.
    const int overrun = label1->geometry().right() + 4 - m_path->x();
    if (overrun > 0)
        label1->move(qMax(0, label1->x() - overrun), label1->y());

    connect(efface, &QPushButton::clicked, this, &SuppMail::clearStore);
    connect(annul, &QPushButton::clicked, this, &QWidget::close);
}

void SuppMail::clearStore()
{
    Prompts &prompts = m_services.prompts;
    const QString folder = m_path->text();
    // "rd /s/q" on an empty path or a drive root would take the whole drive with it.
    if (PathResolver::isDriveRootOrEmpty(folder)) {
        prompts.message(QStringLiteral("Le chemin de la messagerie doit être un dossier, pas la racine d'un lecteur : "
                                       "rien n'a été effacé."));
        return;
    }
    // The folder is made again only once the removal has ended.
    const Status removed = m_services.shell.startAndWait(
        QStringLiteral("cmd.exe /c rd /s/q ") + folder, WindowStyle::Minimized, kCommandTimeoutMs);
    if (!removed) {
        m_services.journal.record(kAction, folder, removed);
        prompts.message(QStringLiteral("Les boites mail de ") + folder + QStringLiteral(" n'ont pas pu être vidées.\r")
            + removed.message());
        return;
    }
    const Status made = m_services.shell.startAndWait(
        QStringLiteral("cmd.exe /c md ") + folder, WindowStyle::Minimized, kCommandTimeoutMs);
    m_services.journal.record(kAction, folder,
        made ? ActionJournal::outcomeText(made)
             : QStringLiteral("vidées, mais dossier non recréé : ") + made.message());
    if (!made) {
        prompts.message(QStringLiteral("Les boites mail ont été vidées, mais le dossier ") + folder
            + QStringLiteral(" n'a pas pu être recréé.\r") + made.message());
        return;
    }
    close();
}
