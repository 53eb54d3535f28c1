#include "admin/ajoutusergrp.h"
#include "admin/ajoututilform.h"
#include "admin/deverouillage.h"
#include "admin/suputilform.h"
#include "app/parametre.h"
#include "app/principale.h"
#include "app/splash.h"
#include "directory/directoryfactory.h"
#include "journal/actionjournal.h"
#include "passwords/passwordgenerator.h"
#include "program/services.h"
#include "programversion.h"
#include "provisioning/ajouteleve.h"
#include "provisioning/ajoutprof.h"
#include "provisioning/suppeleves.h"
#include "provisioning/suppprof.h"
#include "provisioning/verifeleves.h"
#include "support/recordingshell.h"
#include "support/scriptedprompts.h"
#include "support/tempprogramfolder.h"
#include "tools/diruse.h"
#include "tools/mails.h"
#include "tools/suppmail.h"
#include "ui/dialoghost.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QAction>
#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// Opens one of the program's dialogs, for a table of cases that hold for every one.
using OpenDialog = QWidget *(*)(DialogHost &, Services &, Principale &);
template <class D> QWidget *openAs(DialogHost &dialogs, Services &services, Principale &)
{
    return dialogs.open<D>(services);
}
QWidget *openSettings(DialogHost &dialogs, Services &services, Principale &principale)
{
    return dialogs.open<Parametre>(services, principale);
}

} // namespace

class TestPrincipale : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void caption();
    void modes_data();
    void modes();
    void lastPairOfSettingsWins();
    void missingSettingsFilesNamed();
    void controlsAtStart_data();
    void controlsAtStart();
    void accessibleNames();
    void menus();
    void menuStartsPrograms();
    void menuOpensTheCheck();
    void closeRefused();
    void splashVersion();
    void settingsDialogRoundTrip_data();
    void settingsDialogRoundTrip();
    void settingsOptionsByEveryMeans_data();
    void settingsOptionsByEveryMeans();
    void settingsDialogCancelWritesNothing();
    void settingsDialogIsSingleInstance();
    void reloadEmptiesLists();
    void windowsToAssistiveTools_data();
    void windowsToAssistiveTools();
    void splashAndMainWindowToAssistiveTools();

private:
    template <typename T> T *control(const char *name)
    {
        return m_principale->findChild<T *>(QString::fromLatin1(name));
    }
    Parametre *openParametre();

    std::unique_ptr<TempProgramFolder> m_folder;
    std::unique_ptr<Directory> m_directory;
    RecordingShell m_shell;
    ScriptedPrompts m_prompts;
    std::unique_ptr<PasswordGenerator> m_passwords;
    std::unique_ptr<DialogHost> m_dialogs;
    std::unique_ptr<ActionJournal> m_journal;
    std::unique_ptr<Principale> m_principale;
};

void TestPrincipale::init()
{
    m_folder = std::make_unique<TempProgramFolder>();
    m_folder->writeSettings(
        QStringLiteral("LYCEE"), QStringLiteral("SRVPEDA"), QStringLiteral("C:"), QStringLiteral(" 2 "));
    m_directory = openDirectory(m_folder->paths());
    m_shell.started.clear();
    m_prompts.clear();
    m_passwords = std::make_unique<PasswordGenerator>(7);
    m_dialogs = std::make_unique<DialogHost>();
    m_journal = std::make_unique<ActionJournal>(m_folder->paths(), m_prompts);
    m_principale = std::make_unique<Principale>(
        m_folder->paths(), *m_directory, m_shell, m_prompts, *m_passwords, *m_dialogs, *m_journal);
}

void TestPrincipale::cleanup()
{
    m_dialogs->closeAll();
    m_principale.reset();
}

void TestPrincipale::caption()
{
    m_principale->showLoaded();
    const QString expected = QStringLiteral("velmar sur le Domaine : LYCEE,      Serveur maitre : SRVPEDA")
        + QString(23, u' ') + QStringLiteral("------Velmar, les comptes de l'établissement en quelques clics------");
    QCOMPARE(m_principale->windowTitle(), expected);
    QVERIFY(m_prompts.shown.isEmpty());
    QCOMPARE(m_principale->domainName(), QStringLiteral("LYCEE"));
    QCOMPARE(m_principale->serverName(), QStringLiteral("SRVPEDA"));
    QCOMPARE(m_principale->systemVolume(), QStringLiteral("C:"));
}

void TestPrincipale::modes_data()
{
    QTest::addColumn<QByteArray>("mode");
    QTest::addColumn<bool>("narrow");
    QTest::newRow("1") << QByteArray(" 1 \r\n") << true;
    QTest::newRow("2") << QByteArray(" 2 \r\n") << false;
    QTest::newRow("empty") << QByteArray() << false;
    QTest::newRow("other number") << QByteArray(" 7 \r\n") << false;
    QTest::newRow("last line counts") << QByteArray(" 1 \r\n 2 \r\n") << false;
    QTest::newRow("last line 1") << QByteArray(" 2 \r\n1\r\n") << true;
    QTest::newRow("not a number") << QByteArray("un\r\n") << false;
}

void TestPrincipale::modes()
{
    QFETCH(QByteArray, mode);
    QFETCH(bool, narrow);
    m_folder->writeFile(QStringLiteral("mode.txt"), mode);
    m_principale->showLoaded();
    const QSize frame = m_principale->frameGeometry().size() - m_principale->geometry().size();
    if (narrow) {
        QCOMPARE(m_principale->size() + frame, QSize(574, 589));
    } else {
        QCOMPARE(m_principale->findChild<QWidget *>(QStringLiteral("client"))->size(), QSize(868, 563));
        QCOMPARE(m_principale->centralWidget()->size(), QSize(868, 563));
        QVERIFY(m_principale->width() >= 868);
    }
    // The right-hand panel is still there and still works when narrowed.
    QVERIFY(control<QPushButton>("cmd_creergrp"));
}

void TestPrincipale::lastPairOfSettingsWins()
{
    m_folder->writeFile(QStringLiteral("parametres.txt"), "UN\r\nSRV1\r\nDEUX,SRV2\r\nTROIS\r\n");
    m_folder->writeFile(QStringLiteral("system.txt"), "C:\r\nD:\r\n");
    m_principale->showLoaded();
    // The last complete pair is read; a lone field at the end pairs with an empty server.
    QCOMPARE(m_principale->domainName(), QStringLiteral("TROIS"));
    QCOMPARE(m_principale->serverName(), QString());
    QCOMPARE(m_principale->systemVolume(), QStringLiteral("D:"));

    // A domain name typed with a comma is read back split at the comma.
    m_folder->writeFile(QStringLiteral("parametres.txt"), "ECOLE,NORD\r\nSRV\r\n");
    m_principale->showLoaded();
    QCOMPARE(m_principale->domainName(), QStringLiteral("SRV"));
    QCOMPARE(m_principale->serverName(), QString());
}

void TestPrincipale::missingSettingsFilesNamed()
{
    QFile::remove(m_folder->path() + QStringLiteral("/parametres.txt"));
    QFile::remove(m_folder->path() + QStringLiteral("/mode.txt"));
    m_principale->showLoaded();
    QVERIFY(m_principale->isVisible());
    QCOMPARE(m_prompts.messages().size(), 1);
    const QString message = m_prompts.messages().first();
    QVERIFY(message.contains(QStringLiteral("parametres.txt")));
    QVERIFY(message.contains(QStringLiteral("mode.txt")));
    QVERIFY(!message.contains(QStringLiteral("system.txt")));
    QVERIFY(m_principale->windowTitle().startsWith(QStringLiteral("velmar sur le Domaine : ,      Serveur maitre : ")));
}

void TestPrincipale::controlsAtStart_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QRect>("twips");
    QTest::addColumn<bool>("enabled");

    // clang-format off
    QTest::newRow("grputil") << "grputil" << "Rapatrier Groupes et Utilisateurs actuels" << QRect(2040, 600, 4335, 375) << true;
    QTest::newRow("grpmoins") << "grpmoins" << "Supprimer" << QRect(480, 5880, 1095, 375) << false;
    QTest::newRow("grpplus") << "grpplus" << "Ajouter" << QRect(2520, 5880, 1095, 375) << false;
    QTest::newRow("utilmoins") << "utilmoins" << "Supprimer" << QRect(4800, 5880, 1095, 375) << false;
    QTest::newRow("cmd_infouser") << "cmd_infouser" << "Info" << QRect(6120, 5880, 615, 375) << false;
    QTest::newRow("utilplus") << "utilplus" << "Ajouter" << QRect(6960, 5880, 1095, 375) << false;
    QTest::newRow("ajoututil") << "ajoututil" << "Ajouter" << QRect(2400, 6960, 1455, 375) << true;
    QTest::newRow("suputil") << "suputil" << "Supprimer" << QRect(4680, 6960, 1455, 375) << true;
    QTest::newRow("matmoins") << "matmoins" << "Supprimer" << QRect(8760, 5040, 1095, 375) << false;
    QTest::newRow("matplus") << "matplus" << "Ajouter" << QRect(9960, 5040, 975, 375) << false;
    QTest::newRow("sauv") << "sauv" << "sauvegarder" << QRect(8760, 5520, 2175, 375) << false;
    QTest::newRow("cmd_creergrp") << "cmd_creergrp" << "Créer les groupes" << QRect(9360, 6840, 3015, 255) << true;
    QTest::newRow("cmd_creerrep") << "cmd_creerrep" << "Créer les répertoires des matières" << QRect(9360, 7200, 3015, 255) << false;
    QTest::newRow("cmd_creerutil") << "cmd_creerutil" << "Créer les utilisateurs et droits" << QRect(9360, 7560, 3015, 255) << true;
    QTest::newRow("txt_public") << "txt_public" << "E:\\Public" << QRect(9840, 1080, 2535, 285) << false;
    QTest::newRow("txt_matiere") << "txt_matiere" << "E:\\Matieres" << QRect(9840, 1800, 2535, 285) << false;
    QTest::newRow("txt_perso") << "txt_perso" << "E:\\Perso" << QRect(9840, 2520, 2535, 285) << false;
    QTest::newRow("txt_orvo") << "txt_orvo" << "C:\\ORVO.txt" << QRect(9840, 6360, 2655, 285) << true;
    QTest::newRow("Label10") << "Label10" << "Gestion des groupes et des utilisateurs" << QRect(2040, 120, 4680, 330) << true;
    QTest::newRow("Label1") << "Label1" << "Créer le répertoire \"Public\"" << QRect(9120, 720, 2310, 195) << true;
    QTest::newRow("Label8") << "Label8" << "Base Orvo des élèves convertie :" << QRect(9360, 6000, 2790, 195) << true;
    QTest::newRow("lbl_users") << "lbl_users" << "Utilisateurs :" << QRect(2760, 7680, 1530, 300) << true;
    // clang-format on
}

void TestPrincipale::controlsAtStart()
{
    QFETCH(QString, name);
    QFETCH(QString, text);
    QFETCH(QRect, twips);
    QFETCH(bool, enabled);
    m_principale->showLoaded();
    QWidget *w = m_principale->findChild<QWidget *>(name);
    QVERIFY(w);
    QString shown;
    if (auto *b = qobject_cast<QAbstractButton *>(w))
        shown = b->text();
    else if (auto *l = qobject_cast<QLabel *>(w))
        shown = l->text();
    else if (auto *e = qobject_cast<QLineEdit *>(w))
        shown = e->text();
    QCOMPARE(shown, text);
    const QRect designed(
        (twips.x() + 7) / 15, (twips.y() + 7) / 15, (twips.width() + 7) / 15, (twips.height() + 7) / 15);
    if (qobject_cast<QLabel *>(w)) {
        // A label keeps its place and height and may grow to show its whole text.
        QCOMPARE(w->pos(), designed.topLeft());
        QCOMPARE(w->height(), designed.height());
        QVERIFY(w->width() >= designed.width());
    } else {
        QCOMPARE(w->geometry(), designed);
    }
    QCOMPARE(w->isEnabled(), enabled);
}

void TestPrincipale::accessibleNames()
{
    m_principale->showLoaded();
    QCOMPARE(control<QWidget>("Check1")->accessibleName(), QStringLiteral("Créer le répertoire \"Public\""));
    QCOMPARE(control<QWidget>("Check3")->accessibleName(), QStringLiteral("Création des répertoires personnels"));
    QCOMPARE(control<QWidget>("txt_perso")->accessibleName(), QStringLiteral("Chemin :"));
    QCOMPARE(control<QWidget>("matiere")->accessibleName(), QStringLiteral("Liste des Matières :"));
    QCOMPARE(control<QWidget>("grp")->accessibleName(), QStringLiteral("Groupes"));
    QVERIFY(!control<QWidget>("lbl_users")->isVisible());
    QVERIFY(!control<QWidget>("bar1")->isVisible());
}

void TestPrincipale::menus()
{
    const QList<QMenu *> menus = m_principale->menuBar()->findChildren<QMenu *>(Qt::FindDirectChildrenOnly);
    QStringList seen;
    for (QAction *top : m_principale->menuBar()->actions()) {
        QMenu *menu = top->menu();
        seen << menu->objectName() + QStringLiteral("=") + menu->title();
        for (QAction *entry : menu->actions())
            seen << entry->objectName() + QStringLiteral("=")
                    + (entry->isSeparator() ? QStringLiteral("-") : entry->text());
    }
    const QStringList expected {
        u"MENUFichier=Fichier"_s,
        u"MENUparam=Paramètres"_s,
        u"separator=-"_s,
        u"MENUquitter=Quitter"_s,
        u"mnuoutil=Outils"_s,
        u"mnuoutils=Analyseur ORVO"_s,
        u"separator2=-"_s,
        u"mnudeverr=Déverouiller un utilisateur"_s,
        u"msnuajoutele=Ajouter un éleve"_s,
        u"mnoutilsuppele=Suppression de tous les élèves"_s,
        u"separator3=-"_s,
        u"mnuajoutprof=Ajouter un professeur"_s,
        u"manuoutilsuppprof=Suppression d'un professeur"_s,
        u"separateur=-"_s,
        u"mnuoutilsmail=Création des listes de diffusion emails"_s,
        u"manuoutilrestartmail=Redémarrage Serveur MAIL"_s,
        u"mnuoutilvidmail=Vider les boites mail"_s,
        u"separateur5=-"_s,
        u"mnudiruse=Verification de l'espace occupé par les élèves"_s,
        u"separateur6=-"_s,
        u"mnuverifeleves=Vérifier le fichier des élèves avant la création"_s,
    };
    QCOMPARE(seen, expected);
}

void TestPrincipale::menuStartsPrograms()
{
    m_principale->showLoaded();
    m_principale->findChild<QAction *>(QStringLiteral("mnuoutils"))->trigger();
    m_principale->findChild<QAction *>(QStringLiteral("manuoutilrestartmail"))->trigger();
    QCOMPARE(m_shell.started.size(), 2);
    QCOMPARE(m_shell.started[0].line, m_folder->path() + QStringLiteral("\\trivo.exe"));
    QCOMPARE(m_shell.started[1].line, m_folder->path() + QStringLiteral("\\IMSrestart.bat"));
    QVERIFY(m_shell.started[0].style == WindowStyle::Normal && !m_shell.started[0].waited);
    QVERIFY(m_prompts.shown.isEmpty());

    // A program that cannot start is named in a message.
    m_shell.refusedPrefixes << m_folder->path();
    m_principale->findChild<QAction *>(QStringLiteral("mnuoutils"))->trigger();
    QCOMPARE(m_prompts.messages().size(), 1);
    QVERIFY(m_prompts.messages().first().contains(QStringLiteral("trivo.exe")));
}

void TestPrincipale::menuOpensTheCheck()
{
    m_principale->showLoaded();
    m_principale->findChild<QAction *>(QStringLiteral("mnuverifeleves"))->trigger();
    QWidget *dialog = m_dialogs->find<VerifEleves>();
    QVERIFY(dialog);
    QVERIFY(dialog->isVisible());
    QCOMPARE(dialog->windowTitle(), QStringLiteral("Vérification avant la création des utilisateurs"));
}

void TestPrincipale::closeRefused()
{
    m_principale->showLoaded();
    QVERIFY(!(m_principale->windowFlags() & Qt::WindowCloseButtonHint));
    QVERIFY(!(m_principale->windowFlags() & Qt::WindowMinimizeButtonHint));
    QVERIFY(!m_principale->close());
    QVERIFY(m_principale->isVisible());
    QCloseEvent event;
    QApplication::sendEvent(m_principale.get(), &event);
    QVERIFY(!event.isAccepted());
}

void TestPrincipale::splashVersion()
{
    Splash splash;
    QCOMPARE(splash.versionLabel()->text(),
        QStringLiteral("Ver %1.%2 Rev %3")
            .arg(ProgramVersion::majorNumber)
            .arg(ProgramVersion::minorNumber)
            .arg(ProgramVersion::revision));
    QVERIFY(QRegularExpression(QStringLiteral("^Ver [1-9]\\d*\\.(0|[1-9]\\d*) Rev (0|[1-9]\\d*)$"))
                .match(splash.versionLabel()->text())
                .hasMatch());
    QSignalSpy finished(&splash, &Splash::finished);
    splash.show();
    QVERIFY(finished.wait(4000));
    QCOMPARE(finished.size(), 1);
    QVERIFY(!splash.isVisible());
    QTest::qWait(100);
    QCOMPARE(finished.size(), 1);
}

Parametre *TestPrincipale::openParametre()
{
    m_principale->findChild<QAction *>(QStringLiteral("MENUparam"))->trigger();
    return m_dialogs->find<Parametre>();
}

void TestPrincipale::settingsDialogRoundTrip_data()
{
    QTest::addColumn<QByteArray>("modeIn");
    QTest::addColumn<int>("choose"); // 0 = leave as loaded
    QTest::addColumn<QByteArray>("modeOut");
    QTest::addColumn<bool>("option1");
    QTest::addColumn<bool>("option2");
    QTest::newRow("keep 2") << QByteArray(" 2 \r\n") << 0 << QByteArray(" 2 \r\n") << false << true;
    QTest::newRow("choose 1") << QByteArray(" 2 \r\n") << 1 << QByteArray(" 1 \r\n") << true << false;
    QTest::newRow("neither stays neither") << QByteArray() << 0 << QByteArray() << false << false;
    QTest::newRow("unknown selects neither") << QByteArray(" 5 \r\n") << 0 << QByteArray() << false << false;
}

void TestPrincipale::settingsDialogRoundTrip()
{
    QFETCH(QByteArray, modeIn);
    QFETCH(int, choose);
    QFETCH(QByteArray, modeOut);
    QFETCH(bool, option1);
    QFETCH(bool, option2);
    m_folder->writeFile(QStringLiteral("mode.txt"), modeIn);
    m_principale->showLoaded();
    Parametre *dialog = openParametre();
    QVERIFY(dialog);
    QCOMPARE(dialog->windowTitle(), QStringLiteral("Paramètres"));
    QCOMPARE(dialog->domaine->text(), QStringLiteral("LYCEE"));
    QCOMPARE(dialog->serveur->text(), QStringLiteral("SRVPEDA"));
    QCOMPARE(dialog->text1->text(), QStringLiteral("C:"));
    QCOMPARE(dialog->option1->isChecked(), option1 && choose == 0 ? true : modeIn == " 1 \r\n");
    if (choose == 1)
        QTest::mouseClick(dialog->option1, Qt::LeftButton);
    dialog->domaine->setText(QStringLiteral("COLLEGE"));
    dialog->serveur->setText(QString());
    dialog->text1->setText(QStringLiteral("D:"));
    QTest::mouseClick(dialog->findChild<QPushButton *>(QStringLiteral("Command1")), Qt::LeftButton);

    QCOMPARE(m_folder->readFile(QStringLiteral("parametres.txt")), QByteArray("COLLEGE\r\n\r\n"));
    QCOMPARE(m_folder->readFile(QStringLiteral("system.txt")), QByteArray("D:\r\n"));
    QCOMPARE(m_folder->readFile(QStringLiteral("mode.txt")), modeOut);
    QTRY_VERIFY(!m_dialogs->find<Parametre>());
    QCOMPARE(m_principale->domainName(), QStringLiteral("COLLEGE"));
    QVERIFY(m_principale->windowTitle().startsWith(
        QStringLiteral("velmar sur le Domaine : COLLEGE,      Serveur maitre : ")));

    Parametre *again = openParametre();
    QCOMPARE(again->option1->isChecked(), option1);
    QCOMPARE(again->option2->isChecked(), option2);
}

void TestPrincipale::settingsOptionsByEveryMeans_data()
{
    QTest::addColumn<QByteArray>("modeIn");
    QTest::addColumn<int>("option"); // the option acted on
    QTest::addColumn<QByteArray>("modeOut");
    const QList<std::pair<const char *, QByteArray>> starts
        = {{"from 1", " 1 \r\n"}, {"from 2", " 2 \r\n"}, {"from neither", QByteArray()}};
    for (const char *means : {"mouse", "space bar", "assistive tool", "program"}) {
        for (const auto &[start, modeIn] : starts) {
            for (int option : {1, 2}) {
                // Choosing an option selects it alone; choosing the selected one keeps it.
                const QByteArray modeOut = option == 1 ? " 1 \r\n" : " 2 \r\n";
                QTest::addRow("%s, %s, option %d", means, start, option) << modeIn << option << modeOut;
            }
        }
    }
}

void TestPrincipale::settingsOptionsByEveryMeans()
{
    QFETCH(QByteArray, modeIn);
    QFETCH(int, option);
    QFETCH(QByteArray, modeOut);
    const QString means = QString::fromLatin1(QTest::currentDataTag()).section(u',', 0, 0);
    m_folder->writeFile(QStringLiteral("mode.txt"), modeIn);
    m_principale->showLoaded();
    Parametre *dialog = openParametre();
    QVERIFY(dialog);
    QRadioButton *chosen = option == 1 ? dialog->option1 : dialog->option2;
    QRadioButton *other = option == 1 ? dialog->option2 : dialog->option1;
    if (means == QStringLiteral("mouse")) {
        QTest::mouseClick(chosen, Qt::LeftButton);
    } else if (means == QStringLiteral("space bar")) {
        QTest::keyClick(chosen, Qt::Key_Space);
    } else if (means == QStringLiteral("assistive tool")) {
        // A screen reader's Toggle: the option's own action, which emits no click.
        QAccessibleActionInterface *actions = QAccessible::queryAccessibleInterface(chosen)->actionInterface();
        QVERIFY(actions);
        actions->doAction(QAccessibleActionInterface::toggleAction());
    } else {
        chosen->setChecked(true);
    }
    QVERIFY(chosen->isChecked());
    QVERIFY(!other->isChecked());
    QTest::mouseClick(dialog->findChild<QPushButton *>(QStringLiteral("Command1")), Qt::LeftButton);
    QCOMPARE(m_folder->readFile(QStringLiteral("mode.txt")), modeOut);
}

void TestPrincipale::settingsDialogCancelWritesNothing()
{
    m_principale->showLoaded();
    const QByteArray before = m_folder->readFile(QStringLiteral("parametres.txt"));
    Parametre *dialog = openParametre();
    dialog->domaine->setText(QStringLiteral("AUTRE"));
    QTest::mouseClick(dialog->findChild<QPushButton *>(QStringLiteral("Command2")), Qt::LeftButton);
    QTRY_VERIFY(!m_dialogs->find<Parametre>());
    QCOMPARE(m_folder->readFile(QStringLiteral("parametres.txt")), before);
    QCOMPARE(m_principale->domainName(), QStringLiteral("LYCEE"));
}

void TestPrincipale::settingsDialogIsSingleInstance()
{
    m_principale->showLoaded();
    Parametre *first = openParametre();
    first->domaine->setText(QStringLiteral("en cours de saisie"));
    Parametre *second = openParametre();
    QCOMPARE(second, first);
    QCOMPARE(second->domaine->text(), QStringLiteral("en cours de saisie"));
    QVERIFY(!first->parentWidget());
}

void TestPrincipale::reloadEmptiesLists()
{
    m_principale->showLoaded();
    control<QListWidget>("grp")->addItem(QStringLiteral("TS8"));
    control<QListWidget>("matiere")->addItem(QStringLiteral("Maths"));
    control<QLineEdit>("txt_perso")->setText(QStringLiteral("F:\\Ailleurs"));
    m_principale->reload();
    QCOMPARE(control<QListWidget>("grp")->count(), 0);
    QCOMPARE(control<QListWidget>("matiere")->count(), 0);
    QCOMPARE(control<QLineEdit>("txt_perso")->text(), QStringLiteral("E:\\Perso"));
    QCOMPARE(m_principale->findChildren<QListWidget *>(QStringLiteral("grp")).size(), 1);
}

void TestPrincipale::windowsToAssistiveTools_data()
{
    // Each row is named after the window it opens.
    QTest::addColumn<OpenDialog>("open");
    // clang-format off
    QTest::newRow("parametre") << &openSettings;
    QTest::newRow("ajoutusergrp") << &openAs<AjoutUserGrp>;
    QTest::newRow("ajoututilform") << &openAs<AjoutUtilForm>;
    QTest::newRow("suputilform") << &openAs<SupUtilForm>;
    QTest::newRow("deverouillage") << &openAs<Deverouillage>;
    QTest::newRow("ajouteleve") << &openAs<AjoutEleve>;
    QTest::newRow("ajoutprof") << &openAs<AjoutProf>;
    QTest::newRow("suppprof") << &openAs<SuppProf>;
    QTest::newRow("suppeleves") << &openAs<SuppEleves>;
    QTest::newRow("mails") << &openAs<Mails>;
    QTest::newRow("diruse") << &openAs<DirUse>;
    QTest::newRow("suppmail") << &openAs<SuppMail>;
    QTest::newRow("verifeleves") << &openAs<VerifEleves>;
    // clang-format on
}

void TestPrincipale::windowsToAssistiveTools()
{
    // Every window but the main one is announced as a dialog, and stays what it was: fixed in size,
    // without an owner, leaving the main window usable, and made once.
    QFETCH(OpenDialog, open);
    const QString window = QString::fromLatin1(QTest::currentDataTag());
    m_principale->showLoaded();
    QWidget *dialog = open(*m_dialogs, m_principale->services(), *m_principale);
    QVERIFY(dialog);
    QVERIFY(QTest::qWaitForWindowExposed(dialog));
    QCOMPARE(dialog->objectName(), window);

    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(dialog);
    QVERIFY(iface);
    QCOMPARE(iface->role(), QAccessible::Dialog);
    QCOMPARE(iface->text(QAccessible::Name), dialog->windowTitle());

    QVERIFY(dialog->isWindow());
    QVERIFY(!dialog->parentWidget());
    QCOMPARE(dialog->minimumSize(), dialog->maximumSize());
    QCOMPARE(dialog->windowModality(), Qt::NonModal);
    QVERIFY(!QApplication::activeModalWidget());
    QVERIFY(m_principale->isEnabled());
    QCOMPARE(open(*m_dialogs, m_principale->services(), *m_principale), dialog);
    QCOMPARE(QAccessible::queryAccessibleInterface(dialog)->role(), QAccessible::Dialog);
    QVERIFY(m_prompts.shown.isEmpty());
}

void TestPrincipale::splashAndMainWindowToAssistiveTools()
{
    // Neither is a dialog: each is announced as a window of its own.
    Splash splash;
    QCOMPARE(QAccessible::queryAccessibleInterface(&splash)->role(), QAccessible::Window);
    QCOMPARE(QAccessible::queryAccessibleInterface(m_principale.get())->role(), QAccessible::Window);
}

QTEST_MAIN(TestPrincipale)
#include "tst_principale.moc"
