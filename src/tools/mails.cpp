#include "mails.h"

#include "maillists.h"
#include "program/mainvalues.h"
#include "program/services.h"
#include "shell/shell.h"
#include "text/pathresolver.h"
#include "text/textwriter.h"
#include "toolsdialogs.h"
#include "ui/formbuilder.h"
#include "ui/paintnow.h"
#include "ui/prompts.h"

#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

// A source file's bytes; nothing when it cannot be read.
std::optional<QByteArray> readSource(const QString &hostPath)
{
    QFile file(hostPath);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return file.readAll();
}

} // namespace

Mails::Mails(Services &services)
    : m_services(services)
{
    ToolsDialogs::setUpWindow(this, "mails", QStringLiteral("création des listes de diffusion email"), 5745, 2760);

    FormBuilder form(this);
    QLabel *label1 = form.label(this, "Label1",
        QStringLiteral("Cette fonction génère les liste de diffusion email, afin de pouvoir "
                       "envoyer un mail à toute une classe, à tous les élèves ou tous les "
                       "professeurs."),
        240, 360, 5175, 495);
    label1->setWordWrap(true);
    // The introduction takes the height its lines need, which the space above the first box allows.
    form.setGrowth(label1, FormBuilder::Growth::Downward);
    form.label(this, "Label2", QStringLiteral("Orvo converti"), 1200, 960, 1575, 255);
    m_orvo = form.textBox(this, "txt_orvo", m_services.main.pupilFile(), 2280, 960, 2535, 285);
    QLabel *label3
        = form.label(this, "Label3", QStringLiteral("Répertoire des listes de diffustion"), 720, 1440, 1455, 615);
    label3->setWordWrap(true);
    m_mailDir = form.textBox(this, "txt_maildir", QStringLiteral("f:\\mailinglistes"), 2280, 1560, 2535, 285);
    m_gener = form.button(this, "cmd_gener", QStringLiteral("Générer"), 960, 2400, 1575, 255);
    QPushButton *annul = form.button(this, "cmd_ennul", QStringLiteral("Annuler"), 3120, 2400, 1575, 255);
    form.finish();
    // The label sits beside the box but reaches above it; name the box after it explicitly.
    FormBuilder::labelFor(m_mailDir, label3);

    connect(m_gener, &QPushButton::clicked, this, &Mails::generate);
    connect(annul, &QPushButton::clicked, this, &QWidget::close);
}

void Mails::generate()
{
    Prompts &prompts = m_services.prompts;
    const PathResolver &paths = m_services.paths;
    BusyCaption busy(m_gener, QStringLiteral("En cours..."));

    // Emptying a drive root, or the current folder for an empty box, would wipe far more than lists.
    const QString folder = m_mailDir->text();
    if (PathResolver::isDriveRootOrEmpty(folder)) {
        busy.restore();
        prompts.message(QStringLiteral("Le répertoire des listes de diffusion doit être un dossier, pas la racine "
                                       "d'un lecteur : rien n'a été effacé ni écrit."));
        return;
    }
    if (!QFileInfo(paths.toHost(folder)).isDir()) {
        busy.restore();
        prompts.message(QStringLiteral("Le répertoire des listes de diffusion ") + folder
            + QStringLiteral(" n'existe pas : aucune liste n'a été écrite."));
        return;
    }
    // The old lists must be gone before the new ones are appended, or every address would be doubled.
    const Status emptied = m_services.shell.startAndWait(
        QStringLiteral("cmd.exe /c del /s/q ") + folder, WindowStyle::Minimized, kEmptyingTimeoutMs);
    if (!emptied) {
        busy.restore();
        prompts.message(QStringLiteral("Le répertoire des listes de diffusion ") + folder
            + QStringLiteral(" n'a pas pu être vidé : aucune liste n'a été écrite.\r") + emptied.message());
        return;
    }

    MailSources sources {folder, m_orvo->text(), {}, {}, {}};
    if (!sources.pupilFile.trimmed().isEmpty())
        sources.pupils = readSource(paths.toHost(sources.pupilFile));
    sources.accounts = readSource(m_services.programFile(MailLists::kAccountSource));
    sources.teachers = readSource(m_services.programFile(MailLists::kTeacherSource));
    const MailLists lists = MailLists::build(sources);

    QStringList failures;
    for (const MailLists::File &list : lists.files) {
        if (!appendLines(paths.toHost(list.path), list.lines))
            failures << QStringLiteral("Impossible d'écrire ") + list.path + u'.';
    }

    busy.restore();
    QString text;
    if (!failures.isEmpty())
        text = QStringLiteral("Les listes n'ont pas pu être toutes écrites :\r") + failures.join(u'\r');
    else if (lists.files.isEmpty())
        text = QStringLiteral("Aucune liste n'a été écrite : aucune adresse n'a été trouvée.");
    else
        text = QStringLiteral("Listes crées avec succes.");
    if (!lists.notes.isEmpty())
        text += u'\r' + lists.notes.join(u'\r');
    prompts.message(text);
    if (failures.isEmpty())
        close();
}
