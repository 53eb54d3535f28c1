#include "mails.h"

#include "program/mainvalues.h"
#include "program/services.h"
#include "shell/shell.h"
#include "text/fieldreader.h"
#include "text/pathresolver.h"
#include "text/textwriter.h"
#include "text/windowsnames.h"
#include "toolsdialogs.h"
#include "ui/formbuilder.h"
#include "ui/paintnow.h"
#include "ui/prompts.h"

#include <QFileInfo>
#include <QHash>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

// One list file and the addresses it receives, in the order they are read.
struct ListFile
{
    QString path; // list folder + "/" + name, as the administrator would write it
    QStringList lines;
};

// Gathers the addresses of every list before anything is written. A name that differs only in letter
// case names the same file, as on the server's file system.
class Lists
{
public:
    explicit Lists(QString folder)
        : m_folder(std::move(folder))
    {
    }

    void add(const QString &fileName, const QString &address)
    {
        const QString key = fileName.toLower();
        auto found = m_index.constFind(key);
        if (found == m_index.constEnd()) {
            found = m_index.insert(key, m_files.size());
            m_files.append({m_folder + u'/' + fileName, {}});
        }
        m_files[*found].lines.append(address);
    }
    const QList<ListFile> &files() const { return m_files; }

private:
    QString m_folder;
    QList<ListFile> m_files;
    QHash<QString, qsizetype> m_index;
};

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
    form.label(this, "Label2", QStringLiteral("Orvo converti"), 1200, 960, 1575, 255);
    m_orvo = form.textBox(this, "txt_orvo", m_services.main->pupilFile(), 2280, 960, 2535, 285);
    QLabel *label3
        = form.label(this, "Label3", QStringLiteral("Répertoire des listes de diffustion"), 720, 1440, 1455, 615);
    label3->setWordWrap(true);
    m_mailDir = form.textBox(this, "txt_maildir", QStringLiteral("f:\\mailinglistes"), 2280, 1560, 2535, 285);
    m_gener = form.button(this, "cmd_gener", QStringLiteral("Générer"), 960, 2400, 1575, 255);
    QPushButton *annul = form.button(this, "cmd_ennul", QStringLiteral("Annuler"), 3120, 2400, 1575, 255);
    form.finish();
    // The form was drawn for a narrower face: the introduction takes the height its lines need, which
    // the space above the first box allows.
    label1->resize(label1->width(), qMax(label1->height(), label1->heightForWidth(label1->width())));
    // The label sits beside the box but reaches above it; name the box after it explicitly.
    FormBuilder::labelFor(m_mailDir, label3);

    connect(m_gener, &QPushButton::clicked, this, &Mails::generate);
    connect(annul, &QPushButton::clicked, this, &QWidget::close);
}

void Mails::generate()
{
    Prompts &prompts = *m_services.prompts;
    const PathResolver &paths = *m_services.paths;
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
    const Status emptied = m_services.shell->startAndWait(
        QStringLiteral("cmd.exe /c del /s/q ") + folder, WindowStyle::Minimized, kEmptyingTimeoutMs);
    if (!emptied) {
        busy.restore();
        prompts.message(QStringLiteral("Le répertoire des listes de diffusion ") + folder
            + QStringLiteral(" n'a pas pu être vidé : aucune liste n'a été écrite.\r") + emptied.message());
        return;
    }

    Lists lists(folder);
    QStringList notes;

    const QString pupilFile = m_orvo->text();
    if (auto reader = FieldReader::open(paths.toHost(pupilFile)); reader && !pupilFile.trimmed().isEmpty()) {
        QHash<QString, int> refused;
        QStringList refusedOrder;
        while (!reader->atEnd()) {
            const QStringList record = reader->record(3);
            const QString &surname = record[0];
            const QString &firstNames = record[1];
            const QString &className = record[2];
            if (surname.isEmpty() && firstNames.isEmpty() && className.isEmpty())
                continue; // a stray blank line is no pupil
            // The class names a file of the list folder, and no command line.
            if (!WindowsNames::isFileName(className + QStringLiteral("mail.txt"))) {
                if (!refused.contains(className))
                    refusedOrder.append(className);
                ++refused[className];
                continue;
            }
            lists.add(className + QStringLiteral("mail.txt"),
                address(WindowsNames::pupilLogin(surname, firstNames, className)));
        }
        for (const QString &className : std::as_const(refusedOrder))
            notes << QStringLiteral(
                "Classe « %1 » ignorée : son nom ne peut pas servir de nom de fichier (%2 élève(s)).")
                         .arg(className)
                         .arg(refused.value(className));
    } else if (pupilFile.trimmed().isEmpty()) {
        notes << QStringLiteral("Aucun fichier Orvo converti n'est indiqué : aucune liste de classe n'a été écrite.");
    } else {
        notes << QStringLiteral("Fichier Orvo converti introuvable : ") + pupilFile
                + QStringLiteral(" (aucune liste de classe n'a été écrite).");
    }

    // The account list and the teacher list hold one login per field.
    const auto readLogins = [&](const QString &source, const QString &listName, const QString &what) {
        auto reader = FieldReader::open(m_services.programFile(source));
        if (!reader) {
            notes << QStringLiteral("%1 « %2 » introuvable dans le dossier du programme (%3 n'a pas été écrit).")
                         .arg(what, source, listName);
            return;
        }
        while (!reader->atEnd()) {
            const QString login = reader->field();
            if (!login.isEmpty())
                lists.add(listName, address(login));
        }
    };
    readLogins(QStringLiteral("utilisateurs.txt"), QStringLiteral("eleves.txt"), QStringLiteral("Liste des comptes"));
    readLogins(QStringLiteral("profsliste.txt"), QStringLiteral("profs.txt"), QStringLiteral("Liste des professeurs"));

    QStringList failures;
    for (const ListFile &list : lists.files()) {
        if (!appendLines(paths.toHost(list.path), list.lines))
            failures << QStringLiteral("Impossible d'écrire ") + list.path + u'.';
    }

    busy.restore();
    QString text;
    if (!failures.isEmpty())
        text = QStringLiteral("Les listes n'ont pas pu être toutes écrites :\r") + failures.join(u'\r');
    else if (lists.files().isEmpty())
        text = QStringLiteral("Aucune liste n'a été écrite : aucune adresse n'a été trouvée.");
    else
        text = QStringLiteral("Listes crées avec succes.");
    if (!notes.isEmpty())
        text += u'\r' + notes.join(u'\r');
    prompts.message(text);
    if (failures.isEmpty())
        close();
}
