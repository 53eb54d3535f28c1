#include "diruse.h"

#include "program/mainvalues.h"
#include "program/services.h"
#include "program/settingsfiles.h"
#include "shell/shell.h"
#include "text/fieldreader.h"
#include "text/pathresolver.h"
#include "toolsdialogs.h"
#include "ui/formbuilder.h"
#include "ui/paintnow.h"
#include "ui/prompts.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QFontDatabase>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>

DirUse::DirUse(Services &services, int waitBudgetMs)
    : m_services(services)
    , m_waitBudgetMs(waitBudgetMs)
{
    ToolsDialogs::setUpWindow(
        this, "diruse", QStringLiteral("Vérification de l'espace disque utilisé par les élèves"), 6615, 5520);

    FormBuilder form(this);
    form.label(this, "Label1", QStringLiteral("Limite d'espace disque a respecter"), 240, 300, 3015, 255);
    m_limit = form.textBox(this, "txt_limite", QStringLiteral("15"), 3360, 240, 735, 285);
    form.label(this, "Label2", QStringLiteral("Mo"), 4200, 300, 495, 255);
    QGroupBox *frame1 = form.frame(this, "Frame1", QStringLiteral("Type d'utilisateur"), 240, 720, 6135, 735);
    m_pupils = form.option(frame1, "opt_eleves", QStringLiteral("Eleves"), 480, 360, 1815, 255);
    m_teachers = form.option(frame1, "opt_profs", QStringLiteral("Profs"), 3240, 360, 1815, 255);
    m_list = form.listBox(this, "List1", 240, 1620, 6135, 3135);
    // The report lines line up their sizes with spaces.
    m_list->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_verif = form.button(this, "cmd_verif", QStringLiteral("Vérifier"), 1080, 4920, 1815, 375);
    QPushButton *annul = form.button(this, "cmd_annul", QStringLiteral("Annuler"), 3720, 4920, 1815, 375);
    form.finish();

    connect(m_verif, &QPushButton::clicked, this, &DirUse::check);
    connect(annul, &QPushButton::clicked, this, &QWidget::close);

    // The settings file decides; the main window's copy of it stands in when the file cannot be read.
    const Result<QString> volume = SettingsFiles::readSystemVolume(m_services.paths);
    m_systemVolume = volume ? *volume : m_services.main.systemVolume();
    m_list->clear();
    m_pupils->setChecked(true);
    deleteLog();

    // A user type acts when it becomes selected, however that happens: a click, the keyboard, or an
    // assistive tool's Toggle, which emits no click. A click on the type already selected changes
    // nothing but still empties the list, as a click always has; it acts once either way.
    for (QRadioButton *option : {m_pupils, m_teachers}) {
        connect(option, &QRadioButton::toggled, this, [this](bool selected) {
            if (selected)
                switchUserType();
        });
        connect(
            option, &QRadioButton::pressed, this, [this, option] { m_optionSelectedAtPress = option->isChecked(); });
        connect(option, &QRadioButton::clicked, this, [this] {
            if (m_optionSelectedAtPress)
                switchUserType();
        });
    }
}

QString DirUse::logPath() const
{
    return m_systemVolume + QStringLiteral("\\templogdir.txt");
}

void DirUse::deleteLog()
{
    // Without a system volume the log would name a file at the top of the machine: leave it be.
    if (m_systemVolume.trimmed().isEmpty())
        return;
    QFile::remove(m_services.paths.toHost(logPath()));
}

void DirUse::switchUserType()
{
    m_list->clear();
    deleteLog();
}

QStringList DirUse::commandLines(QStringList &notes) const
{
    const QString head = QStringLiteral("cmd.exe /c diruse /M /q:") + m_limit->text() + QStringLiteral(" /D ");
    const QString tail = QStringLiteral(" /* >> ") + logPath();
    const QString homeRoot = m_services.main.homeRoot();
    if (m_teachers->isChecked())
        return {head + homeRoot + QStringLiteral("\\profs\\") + tail};

    QStringList lines;
    auto classes = FieldReader::open(m_services.programFile(QStringLiteral("div.txt")));
    if (!classes) {
        notes << QStringLiteral("Liste des classes « div.txt » introuvable dans le dossier du programme : aucune "
                                "classe n'a été vérifiée.");
        return lines;
    }
    while (!classes->atEnd()) {
        const QString className = classes->record(2).at(1);
        // An empty class would measure whole classes against a limit meant for one pupil.
        if (!className.isEmpty())
            lines << head + homeRoot + QStringLiteral("\\eleves\\") + className + u'\\' + tail;
    }
    if (lines.isEmpty())
        notes << QStringLiteral("La liste des classes « div.txt » ne contient aucune classe.");
    return lines;
}

void DirUse::check()
{
    Prompts &prompts = m_services.prompts;
    const QString limit = m_limit->text();
    // Words of the limit would become words of the command line, a second redirection among them.
    if (limit.contains(u' ')) {
        prompts.message(QStringLiteral("La limite « ") + limit
            + QStringLiteral(" » ne doit pas contenir d'espace : indiquez un nombre de Mo."));
        return;
    }
    if (m_systemVolume.trimmed().isEmpty()) {
        prompts.message(QStringLiteral("Le volume système n'est pas indiqué dans « system.txt » : le rapport de la "
                                       "vérification n'a pas de place où être écrit."));
        return;
    }

    m_list->clear();
    // A finished check leaves the button with the caption it has always had after one.
    BusyCaption busy(m_verif, QStringLiteral("En cours..."), QStringLiteral("Vérifer"));

    QStringList notes;
    const QStringList lines = commandLines(notes);
    // Each report must be complete before the log is read: wait for every command, within one budget
    // for the whole check so that a drive that does not answer cannot hold the window for long.
    const QDeadlineTimer deadline(m_waitBudgetMs);
    int started = 0;
    int notReached = 0;
    for (const QString &line : lines) {
        const qint64 remaining = deadline.remainingTime();
        if (remaining <= 0) {
            ++notReached;
            continue;
        }
        const Status done = m_services.shell.startAndWait(line, WindowStyle::Hidden, int(remaining));
        ++started;
        if (!done)
            notes << done.message();
    }
    if (notReached > 0)
        notes << QStringLiteral("%1 dossier(s) n'ont pas été vérifiés : le temps d'attente de la vérification "
                                "était écoulé.")
                     .arg(notReached);

    m_list->addItem(QStringLiteral("Voici la liste des dossiers qui dépassent ") + limit + QStringLiteral(" Mo"));
    m_list->addItem(QStringLiteral(" "));
    m_list->addItem(QStringLiteral("      Taille(Mo)"));
    if (auto log = FieldReader::open(m_services.paths.toHost(logPath()))) {
        while (!log->atEnd()) {
            const QString line = log->line();
            if (line.startsWith(u'!'))
                m_list->addItem(line);
        }
    } else if (started > 0) {
        notes << QStringLiteral("Le rapport ") + logPath()
                + QStringLiteral(" est introuvable : aucun dossier n'a pu être mesuré.");
    }
    m_list->addItem(QStringLiteral(" "));
    m_list->addItem(QStringLiteral("Vérification terminée."));
    deleteLog();

    if (!notes.isEmpty())
        prompts.message(QStringLiteral("La vérification est incomplète :\r") + notes.join(u'\r'));
}
