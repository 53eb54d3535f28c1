#include "principale.h"

#include "admin/deverouillage.h"
#include "admin/groupspanel.h"
#include "artwork.h"
#include "parametre.h"
#include "passwords/passwordgenerator.h"
#include "program/services.h"
#include "program/settingsfiles.h"
#include "provisioning/ajouteleve.h"
#include "provisioning/ajoutprof.h"
#include "provisioning/provisioningpanel.h"
#include "provisioning/suppeleves.h"
#include "provisioning/suppprof.h"
#include "provisioning/verifeleves.h"
#include "shell/shell.h"
#include "text/pathresolver.h"
#include "tools/diruse.h"
#include "tools/mails.h"
#include "tools/suppmail.h"
#include "ui/dialoghost.h"
#include "ui/formbuilder.h"
#include "ui/prompts.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPainter>
#include <QScreen>

Principale::Principale(const PathResolver &paths, Directory &directory, Shell &shell, Prompts &prompts,
    PasswordGenerator &passwords, DialogHost &dialogs, ActionJournal &journal, QWidget *parent)
    : QMainWindow(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
    , m_services {.paths = paths,
          .directory = directory,
          .shell = shell,
          .prompts = prompts,
          .passwords = passwords,
          .dialogs = dialogs,
          .main = *this,
          .journal = journal}
    , m_background(Artwork::mainWindow())
{
    // No close box, no minimize or maximize: "Quitter" is the only way out.
    setObjectName(QStringLiteral("Principale"));
    buildMenus();
}

const QString &Principale::creditSuffix()
{
    static const QString suffix
        = QString(23, u' ') + QStringLiteral("------Velmar, les comptes de l'établissement en quelques clics------");
    return suffix;
}

QString Principale::caption(const QString &domain, const QString &server)
{
    return QStringLiteral("velmar sur le Domaine : ") + domain + QStringLiteral(",      Serveur maitre : ") + server
        + creditSuffix();
}

QAction *Principale::addEntry(QMenu *menu, const char *name, const QString &text)
{
    QAction *action = menu->addAction(text);
    action->setObjectName(QString::fromLatin1(name));
    return action;
}

template <class Dialog> void Principale::opens(QAction *action)
{
    connect(action, &QAction::triggered, this, [this] { m_services.dialogs.open<Dialog>(m_services); });
}

void Principale::buildMenus()
{
    auto separator
        = [](QMenu *menu, const char *name) { menu->addSeparator()->setObjectName(QString::fromLatin1(name)); };

    QMenu *fichier = menuBar()->addMenu(QStringLiteral("Fichier"));
    fichier->setObjectName(QStringLiteral("MENUFichier"));
    // The settings dialog rebuilds this window when it is accepted.
    connect(addEntry(fichier, "MENUparam", QStringLiteral("Paramètres")), &QAction::triggered, this,
        [this] { m_services.dialogs.open<Parametre>(m_services, *this); });
    separator(fichier, "separator");
    connect(addEntry(fichier, "MENUquitter", QStringLiteral("Quitter")), &QAction::triggered, this, &Principale::quit);

    QMenu *outils = menuBar()->addMenu(QStringLiteral("Outils"));
    outils->setObjectName(QStringLiteral("mnuoutil"));
    connect(addEntry(outils, "mnuoutils", QStringLiteral("Analyseur ORVO")), &QAction::triggered, this,
        [this] { startProgram(m_services.programFolder() + QStringLiteral("\\trivo.exe")); });
    separator(outils, "separator2");
    opens<Deverouillage>(addEntry(outils, "mnudeverr", QStringLiteral("Déverouiller un utilisateur")));
    opens<AjoutEleve>(addEntry(outils, "msnuajoutele", QStringLiteral("Ajouter un éleve")));
    opens<SuppEleves>(addEntry(outils, "mnoutilsuppele", QStringLiteral("Suppression de tous les élèves")));
    separator(outils, "separator3");
    opens<AjoutProf>(addEntry(outils, "mnuajoutprof", QStringLiteral("Ajouter un professeur")));
    opens<SuppProf>(addEntry(outils, "manuoutilsuppprof", QStringLiteral("Suppression d'un professeur")));
    separator(outils, "separateur");
    opens<Mails>(addEntry(outils, "mnuoutilsmail", QStringLiteral("Création des listes de diffusion emails")));
    connect(addEntry(outils, "manuoutilrestartmail", QStringLiteral("Redémarrage Serveur MAIL")), &QAction::triggered,
        this, [this] { startProgram(m_services.programFolder() + QStringLiteral("\\IMSrestart.bat")); });
    opens<SuppMail>(addEntry(outils, "mnuoutilvidmail", QStringLiteral("Vider les boites mail")));
    separator(outils, "separateur5");
    opens<DirUse>(addEntry(outils, "mnudiruse", QStringLiteral("Verification de l'espace occupé par les élèves")));
    separator(outils, "separateur6");
    opens<VerifEleves>(
        addEntry(outils, "mnuverifeleves", QStringLiteral("Vérifier le fichier des élèves avant la création")));
}

void Principale::startProgram(const QString &commandLine)
{
    if (Status started = m_services.shell.start(commandLine, WindowStyle::Normal); !started)
        m_services.prompts.message(QStringLiteral("Impossible de lancer %1.\r%2").arg(commandLine, started.message()));
}

QString Principale::load()
{
    // The client area keeps its design size inside a holder that does not, so that the window can be
    // narrowed (working mode 1) and enlarged again by hand.
    // The old client goes at once, so that nothing of it outlives the rebuild.
    delete takeCentralWidget();
    auto *holder = new QWidget(this);
    setCentralWidget(holder);
    m_client = new QWidget(holder);
    m_client->setObjectName(QStringLiteral("client"));
    m_client->setGeometry(0, 0, twipsToPixels(kClientWidth), twipsToPixels(kClientHeight));

    FormBuilder form(m_client);
    m_groups = new GroupsPanel(form, m_services, m_client);
    m_provisioning = new ProvisioningPanel(form, m_services, m_client);
    form.finish();

    // Labels are drawn in the highlight-text colour straight over the background picture.
    for (QLabel *label : m_client->findChildren<QLabel *>()) {
        QPalette palette = label->palette();
        palette.setColor(QPalette::WindowText, palette.color(QPalette::HighlightedText));
        label->setPalette(palette);
        label->setAutoFillBackground(false);
    }

    // A new key for the password generator at each load.
    m_services.passwords.reseed();

    QStringList missing;
    const auto volume = SettingsFiles::readSystemVolume(m_services.paths);
    m_systemVolume = volume ? *volume : QString();
    if (!volume)
        missing << QStringLiteral("system.txt");
    const auto names = SettingsFiles::readDomainNames(m_services.paths);
    m_domain = names ? names->domain : QString();
    m_server = names ? names->server : QString();
    if (!names)
        missing << QStringLiteral("parametres.txt");
    const auto mode = SettingsFiles::readModeLine(m_services.paths);
    m_modeLine = mode ? *mode : QString();
    if (!mode)
        missing << QStringLiteral("mode.txt");

    // The client area is the design size; a window is as tall again as its menu bar.
    const int menuHeight = menuBar()->sizeHint().height();
    setMinimumSize(0, 0);
    setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    if (isNarrow()) {
        applyNarrowSize();
    } else {
        resize(twipsToPixels(kClientWidth), twipsToPixels(kClientHeight) + menuHeight);
    }
    if (QScreen *screen = this->screen())
        move(screen->availableGeometry().center() - QPoint(width() / 2, height() / 2));

    setWindowTitle(caption(m_domain, m_server));

    if (missing.isEmpty())
        return {};
    return QStringLiteral("Fichier de paramètres introuvable dans le dossier du programme (%1) : %2.\r"
                          "Velmar démarre avec des valeurs vides ; corrigez-les dans Fichier > Paramètres.")
        .arg(m_services.programFolder(), missing.join(QStringLiteral(", ")));
}

bool Principale::isNarrow() const
{
    return SettingsFiles::numericValue(m_modeLine) == 1;
}

void Principale::applyNarrowSize()
{
    // The outer size is given: take off the window frame, once the window system tells it.
    const QSize frame = frameGeometry().size() - geometry().size();
    resize(twipsToPixels(kNarrowWidth) - frame.width(), twipsToPixels(kNarrowHeight) - frame.height());
}

void Principale::showLoaded()
{
    const QString problem = load();
    show();
    if (isNarrow())
        applyNarrowSize();
    if (!problem.isEmpty())
        m_services.prompts.message(problem);
}

void Principale::reload()
{
    hide();
    showLoaded();
}

void Principale::quit()
{
    m_quitting = true;
    m_services.dialogs.closeAll();
    qApp->quit();
}

void Principale::closeEvent(QCloseEvent *event)
{
    if (m_quitting)
        event->accept();
    else
        event->ignore();
}

void Principale::paintEvent(QPaintEvent *)
{
    if (!m_client)
        return;
    QPainter p(this);
    p.drawPixmap(QRect(m_client->mapTo(this, QPoint(0, 0)), m_client->size()), m_background);
}

QString Principale::publicFolder() const
{
    return m_provisioning ? m_provisioning->txtPublic->text() : QString();
}

QString Principale::subjectsFolder() const
{
    return m_provisioning ? m_provisioning->txtMatiere->text() : QString();
}

QString Principale::homeRoot() const
{
    return m_provisioning ? m_provisioning->txtPerso->text() : QString();
}

QString Principale::pupilFile() const
{
    return m_provisioning ? m_provisioning->txtOrvo->text() : QString();
}

QString Principale::chosenGroup() const
{
    if (!m_groups || !m_groups->grp->currentItem())
        return {};
    return m_groups->grp->currentItem()->text();
}
