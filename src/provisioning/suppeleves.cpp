#include "suppeleves.h"

#include "creationjournal.h"
#include "dialogs/dialogopening.h"
#include "directory/directory.h"
#include "directory/dirpaths.h"
#include "enrolsupport.h"
#include "journal/actionjournal.h"
#include "journal/runjournal.h"
#include "program/mainvalues.h"
#include "program/services.h"
#include "shell/shell.h"
#include "text/fieldreader.h"
#include "text/pathresolver.h"
#include "text/textwriter.h"
#include "ui/formbuilder.h"
#include "ui/paintnow.h"
#include "ui/prompts.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

using namespace EnrolSupport;

namespace {

// A list as it was read: its bytes, and the field kept of each record. A missing list has none. A
// list that is there but cannot be read is a failure, so that it is never deleted unread.
struct ReadList
{
    QByteArray bytes;
    QStringList values;
};

Result<ReadList> readFields(const QString &hostPath, int perRecord, int kept)
{
    if (!QFileInfo::exists(hostPath))
        return ReadList();
    QFile file(hostPath);
    if (!file.open(QIODevice::ReadOnly))
        return Status::failure(
            QStringLiteral("Impossible d'ouvrir le fichier %1 : %2").arg(hostPath, file.errorString()));
    ReadList list {file.readAll(), {}};
    FieldReader reader(list.bytes);
    while (!reader.atEnd()) {
        const QString value = reader.record(perRecord).at(kept);
        // A blank line names no class and no pupil.
        if (!value.trimmed().isEmpty())
            list.values.append(value);
    }
    return list;
}

Status start(Shell &shell, const QString &line)
{
    return shell.start(line, WindowStyle::Minimized);
}

// The first lines of the removal's journal: the account list it read, its size and checksum.
QStringList journalHeader(const QString &listPath, const QByteArray &bytes, int pupils, const QDateTime &started)
{
    return CreationJournal::fileLines(QStringLiteral("Liste des comptes"), PupilFileIdentity::of(listPath, bytes))
        << CreationJournal::startedLine(started) << CreationJournal::pupilsLine(pupils);
}

} // namespace

QString SuppEleves::caption()
{
    return QStringLiteral("suppression de tous les élèves");
}

SuppEleves *SuppEleves::make(Services &services)
{
    auto *dialog = new SuppEleves(services);
    return keepIfLoaded(services.prompts, dialog, dialog->load(), caption());
}

SuppEleves::SuppEleves(Services &services)
    : QWidget(nullptr, Qt::Window)
    , m_services(services)
{
    setUpFixedWindow(this, "suppeleves", caption(), 5520, 2880);
    FormBuilder form(this);
    auto *label1 = form.label(this, "Label1",
        QStringLiteral("Attention, ceci est la fonction qui supprime tous les comptes élèves ainsi "
                       "que leurs répertoires personnels respectifs"),
        240, 120, 5040, 1095);
    label1->setWordWrap(true);
    label1->setAlignment(Qt::AlignCenter);
    // Where Arial Black is missing, the heaviest weight of the fallback still gives the warning its weight.
    label1->setFont(QFont(QStringLiteral("Arial Black"), 10, QFont::Black));

    bar1 = form.progressBar(this, "bar1", 240, 1440, 5040, 255);
    bar1->setAccessibleName(QStringLiteral("Comptes élèves supprimés"));
    cmdOk = form.button(this, "cmd_ok", QStringLiteral("Effacer"), 1080, 2040, 1575, 375);
    cmdCancel = form.button(this, "cmd_cancel", QStringLiteral("Annuler"), 2880, 2040, 1575, 375);
    form.finish();

    connect(cmdOk, &QPushButton::clicked, this, &SuppEleves::eraseAll);
    connect(cmdCancel, &QPushButton::clicked, this, &QWidget::close);
}

Status SuppEleves::load()
{
    const auto names = readNames(m_services.paths);
    if (!names)
        return names.status();
    m_server = names->server;
    return {};
}

QStringList SuppEleves::classNames() const
{
    // Without the class list the class shares stay; the rest of the removal goes on.
    auto classes = readFields(m_services.programFile(QStringLiteral("div.txt")), 2, 1);
    return classes ? classes->values : QStringList();
}

QString SuppEleves::removeFolder(
    const QString &command, const QString &box, const QString &below, const QString &leftAlone, RunJournal &journal)
{
    // An empty box would make the command act on the current folder, a drive root on the whole drive.
    if (PathResolver::isDriveRootOrEmpty(box)) {
        journal.write(box + below + QStringLiteral(" : laissé (chemin vide ou racine d'un lecteur)"));
        return leftAlone;
    }
    journal.write(ActionJournal::stepsText({{box + below, start(m_services.shell, command + box + below)}}));
    return {};
}

void SuppEleves::eraseAll()
{
    BusyCaption busy(cmdOk, QStringLiteral("En cours ..."));
    if (!m_services.prompts.confirm(QStringLiteral("Attention, êtes vous sûre ?"))) {
        busy.restore();
        close();
        return;
    }

    // The journal names the account list first: it is read before anything is removed.
    const QString listPath = m_services.programFolder() + QStringLiteral("\\utilisateurs.txt");
    const auto listed = readFields(m_services.paths.toHost(listPath), 1, 0);
    const QStringList pupils = listed ? listed->values : QStringList();
    const QDateTime started = QDateTime::currentDateTime();
    RunJournal journal = RunJournal::start(m_services.paths, QStringLiteral("suppression"), started);
    journal.write(journalHeader(listPath, listed ? listed->bytes : QByteArray(), int(pupils.size()), started));

    QStringList shares = classNames();
    shares << QStringLiteral("public") << QStringLiteral("matieres");
    for (const QString &share : std::as_const(shares)) {
        journal.write(ActionJournal::stepsText({{QStringLiteral("partage ") + share,
            start(m_services.shell, QStringLiteral("cmd.exe /c net share ") + share + QStringLiteral(" /del /y"))}}));
    }

    auto container = m_services.directory.bind(DirPaths::container(m_server));
    // A range of 0 to 0 would show a busy bar instead of an empty one.
    bar1->setRange(0, qMax<int>(1, pupils.size()));
    bar1->setValue(0);
    int processed = 0;
    QStringList remaining;
    for (const QString &login : pupils) {
        ++processed;
        const Status deleted = container ? (*container)->deleteObject(DirKind::User, login) : container.status();
        if (!deleted) {
            // An account removed by hand earlier is gone all the same; one still there stays listed.
            if (!container || m_services.directory.bind(DirPaths::object(m_server, login, DirKind::User)))
                remaining.append(login);
        }
        const Status unshared
            = start(m_services.shell, QStringLiteral("cmd.exe /c net share ") + login + QStringLiteral("$ /del /y"));
        journal.write(QString::number(processed) + QStringLiteral(" ; ") + login + QStringLiteral(" ; ")
            + ActionJournal::stepsText({{QStringLiteral("compte"), deleted}, {QStringLiteral("partage"), unshared}}));
        bar1->setValue(processed);
    }

    const QString homeRoot = m_services.main.homeRoot();
    QStringList leftAlone;
    leftAlone << removeFolder(QStringLiteral("cmd.exe /c rd /s/q "), homeRoot, QStringLiteral("\\eleves"),
        QStringLiteral("Les répertoires personnels des élèves n'ont pas été supprimés : "
                       "le chemin des répertoires personnels est vide ou désigne la racine "
                       "d'un lecteur."),
        journal);
    leftAlone << removeFolder(QStringLiteral("cmd.exe /c del /s/q "), m_services.main.subjectsFolder(), {},
        QStringLiteral("Les fichiers des matières n'ont pas été supprimés : le chemin du "
                       "répertoire des matières est vide ou désigne la racine d'un lecteur."),
        journal);
    leftAlone << removeFolder(QStringLiteral("cmd.exe /c rd /s/q "), m_services.main.publicFolder(), {},
        QStringLiteral("Le répertoire public n'a pas été supprimé : son chemin est vide ou "
                       "désigne la racine d'un lecteur."),
        journal);
    leftAlone.removeAll(QString());

    // The account list is the only record of the pupils' logins: the accounts that could not be
    // removed stay in it, so that a later run can remove them.
    Status kept;
    if (!remaining.isEmpty())
        kept = replaceFile(m_services.programFile(QStringLiteral("utilisateurs.txt")), remaining);

    QString text = QStringLiteral("Suppression de %1 élèves effectuée").arg(processed);
    for (const QString &sentence : std::as_const(leftAlone))
        text += u'\r' + sentence;
    if (!remaining.isEmpty()) {
        text += u'\r' + QStringLiteral("%1 comptes n'ont pas pu être supprimés de l'annuaire").arg(remaining.size());
        if (!container)
            text += QStringLiteral(" (") + container.message() + u')';
        text += kept ? QStringLiteral(" : ils restent dans la liste utilisateurs.txt.")
                     : QStringLiteral(" et la liste utilisateurs.txt n'a pas pu être récrite : ") + kept.message();
    }
    if (!listed) {
        text += u'\r' + QStringLiteral("La liste utilisateurs.txt n'a pas pu être lue ; elle est conservée : ")
            + listed.message();
    }
    if (!remaining.isEmpty())
        journal.write(ActionJournal::stepsText({{QStringLiteral("liste utilisateurs.txt récrite"), kept}}));
    const QString journalConsequence = QStringLiteral("La suppression a eu lieu ; seul son journal est incomplet.");
    const bool journalTold = journal.failed();
    if (journalTold)
        text += u'\r' + journal.failureMessage(journalConsequence);
    m_services.prompts.message(text);
    busy.restore();

    if (remaining.isEmpty() && listed) {
        journal.write(ActionJournal::stepsText({{QStringLiteral("liste utilisateurs.txt supprimée"),
            start(m_services.shell, QStringLiteral("cmd.exe /c del ") + listPath)}}));
    }
    journal.write(QStringLiteral("fin"));
    if (journal.failed() && !journalTold)
        m_services.prompts.message(journal.failureMessage(journalConsequence));
    close();
}
