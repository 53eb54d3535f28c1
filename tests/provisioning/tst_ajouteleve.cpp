#include "enrolfixture.h"
#include "provisioning/ajouteleve.h"
#include "provisioning/ajoutprof.h"
#include "provisioning/suppeleves.h"
#include "provisioning/suppprof.h"
#include "support/policydirectory.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

template <class D> QWidget *openAs(DialogHost &dialogs, Services &services)
{
    return dialogs.open<D>(services);
}

} // namespace

class TestAjoutEleve : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void layout_data();
    void layout();
    void classListOffersEveryGroup();
    void createsTheAccount();
    void login_data();
    void login();
    void existingLoginShowsNoPassword();
    void passwordRefusedShowsNoPassword();
    void listThatCannotBeWritten();
    void refusedBeforeWriting_data();
    void refusedBeforeWriting();
    void emptyFieldsRefused_data();
    void emptyFieldsRefused();
    void classWithoutGroup();
    void cannotOpen_data();
    void cannotOpen();
    void cancelCloses();
    void menuNamesOpenTheDialogs();

private:
    AjoutEleve *openDialog();
    void enter(const QString &surname, const QString &firstNames, const QString &className);
    QString perso() const { return f->folder.path() + QStringLiteral("\\perso.bat "); }

    std::unique_ptr<EnrolFixture> f;
    AjoutEleve *m_dialog = nullptr;
};

void TestAjoutEleve::init()
{
    f = std::make_unique<EnrolFixture>();
    QVERIFY(f->createGroup(QStringLiteral("eleves")));
    QVERIFY(f->createGroup(QStringLiteral("profs")));
    QVERIFY(f->createGroup(QStringLiteral("TS8")));
    QVERIFY(f->makeFolders(QStringLiteral("E:\\Perso\\eleves\\TS8")));
    m_dialog = nullptr;
}

void TestAjoutEleve::cleanup()
{
    delete m_dialog;
    m_dialog = nullptr;
    f.reset();
}

AjoutEleve *TestAjoutEleve::openDialog()
{
    m_dialog = AjoutEleve::make(f->services);
    if (m_dialog)
        m_dialog->show();
    return m_dialog;
}

void TestAjoutEleve::enter(const QString &surname, const QString &firstNames, const QString &className)
{
    m_dialog->txtNom->setText(surname);
    m_dialog->txtPrenom->setText(firstNames);
    m_dialog->listSec->setEditText(className);
}

void TestAjoutEleve::layout_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");
    QTest::newRow("Label1") << "Label1"
                            << "Nom :";
    QTest::newRow("Label7") << "Label7"
                            << "(Entrer le nom sans espaces ni apostrophe, utiliser des tirets)";
    QTest::newRow("Label2") << "Label2"
                            << "Prénoms :";
    QTest::newRow("Label6") << "Label6"
                            << "(Inscrire tous les prenoms sans espaces, utiliser des tirets)";
    QTest::newRow("Label3") << "Label3"
                            << "Groupe :";
    QTest::newRow("Label5") << "Label5"
                            << "(Le groupe correspond à la section dans laquelle se trouve l'élève, par ex: TS8)";
    QTest::newRow("Label4") << "Label4"
                            << "Cette fonction est utilisée pour créer un Eleve, ceci englobe la création du compte, "
                               "des permissions et des des répertoires.";
}

void TestAjoutEleve::layout()
{
    QFETCH(QString, name);
    QFETCH(QString, text);
    QVERIFY(openDialog());
    QCOMPARE(m_dialog->objectName(), QStringLiteral("ajouteleve"));
    QCOMPARE(m_dialog->windowTitle(), QStringLiteral("Ajouter un élève"));
    QVERIFY(!m_dialog->parentWidget());
    auto *label = m_dialog->findChild<QLabel *>(name);
    QVERIFY(label);
    QCOMPARE(label->text(), text);
    QVERIFY(label->isVisible());

    QCOMPARE(m_dialog->findChild<QPushButton *>(u"cmd_crer"_s)->text(), QStringLiteral("Créer"));
    QCOMPARE(m_dialog->findChild<QPushButton *>(u"cmd_annul"_s)->text(), QStringLiteral("Annuler"));
    QVERIFY(m_dialog->findChild<QLineEdit *>(u"txt_nom"_s)->text().isEmpty());
    QVERIFY(m_dialog->findChild<QLineEdit *>(u"txt_prenom"_s)->text().isEmpty());
    auto *classes = m_dialog->findChild<QComboBox *>(u"list_sec"_s);
    QVERIFY(classes->isEditable());
    QVERIFY(classes->currentText().isEmpty());
    QCOMPARE(m_dialog->txtNom->accessibleName(), QStringLiteral("Nom :"));
    QCOMPARE(m_dialog->txtPrenom->accessibleName(), QStringLiteral("Prénoms :"));
    QCOMPARE(classes->accessibleName(), QStringLiteral("Groupe :"));
}

void TestAjoutEleve::classListOffersEveryGroup()
{
    QVERIFY(f->createUser(QStringLiteral("dupont")));
    QVERIFY(f->createGroup(QStringLiteral("Personnel")));
    QVERIFY(openDialog());
    QStringList offered;
    for (int i = 0; i < m_dialog->listSec->count(); ++i)
        offered << m_dialog->listSec->itemText(i);
    // In the order the server gives them, accounts left out, every group in.
    QStringList groups;
    auto container = f->store->bind(QStringLiteral("WinNT://SRVPEDA"));
    QVERIFY(container);
    QVERIFY((*container)->enumerate({}, [&groups](const DirEntry &entry) {
        if (entry.kind == DirKind::Group)
            groups << entry.name;
    }));
    QCOMPARE(offered, groups);
    offered.sort();
    QCOMPARE(offered, QStringList({u"Personnel"_s, u"TS8"_s, u"eleves"_s, u"profs"_s}));
}

void TestAjoutEleve::createsTheAccount()
{
    WatchingShell watcher;
    RecordingShell shell(&watcher);
    f->shellSwitch.switchTo(shell);
    QVERIFY(openDialog());
    QStringList listAtScript;
    QString captionAtScript;
    watcher.onStart = [&](const QString &) {
        listAtScript = f->lines(QStringLiteral("utilisateurs.txt"));
        captionAtScript = m_dialog->cmdCrer->text();
    };
    f->folder.writeFile(QStringLiteral("utilisateurs.txt"), "TS8ANCIENPie\r\n");

    enter(QStringLiteral("MARTIN"), QStringLiteral("Paul"), QStringLiteral("TS8"));
    PasswordGenerator same(EnrolFixture::kSeed);
    const QString password = same.getpass(6);
    QTest::mouseClick(m_dialog->cmdCrer, Qt::LeftButton);

    const QString login = QStringLiteral("TS8MARTINPaul");
    QVERIFY(QFileInfo(f->host(QStringLiteral("E:\\Perso\\eleves\\TS8\\TS8MARTINPaul"))).isDir());
    QCOMPARE(f->property(login, DirProperty::FullName).toString(), QStringLiteral("MARTIN Paul"));
    QCOMPARE(f->property(login, DirProperty::Description).toString(), QStringLiteral("membre de la classe : TS8"));
    QCOMPARE(f->property(login, DirProperty::HomeDirectory).toString(), QStringLiteral("\\\\SRVPEDA\\TS8MARTINPaul$"));
    QCOMPARE(f->property(login, DirProperty::LoginScript).toString(), QStringLiteral("TS8.bat"));
    QVERIFY(f->passwordIs(login, password));
    QCOMPARE(f->membersOf(u"TS8"_s), QStringList {login});
    QCOMPARE(f->membersOf(u"eleves"_s), QStringList {login});

    QCOMPARE(shell.lines(), QStringList {perso() + u"E:\\Perso\\eleves\\TS8\\TS8MARTINPaul TS8MARTINPaul"_s});
    QCOMPARE(shell.started.first().style, WindowStyle::Minimized);
    QVERIFY(!shell.started.first().waited);
    // The list line is on disk before the script starts, while the button says it is working.
    QCOMPARE(listAtScript, QStringList({u"TS8ANCIENPie"_s, login}));
    QCOMPARE(captionAtScript, QStringLiteral("En cours ..."));
    QCOMPARE(f->lines(QStringLiteral("utilisateurs.txt")), QStringList({u"TS8ANCIENPie"_s, login}));
    QVERIFY(!f->folder.readFile(QStringLiteral("utilisateurs.txt")).contains(password.toLatin1()));

    QCOMPARE(f->prompts.shown.size(), 1);
    QCOMPARE(f->prompts.shown.first().kind, QStringLiteral("message"));
    QVERIFY(f->prompts.shown.first().title.isEmpty());
    QCOMPARE(f->prompts.shown.first().text,
        QStringLiteral("Vous venez d'ajouter l' utilisateur: TS8MARTINPaul ses droits et répertoires ont été "
                       "créés.\r ATTENTION SON MOT DE PASSE EST : ")
            + password + QStringLiteral("  notez le !!"));

    QVERIFY(m_dialog->txtNom->text().isEmpty());
    QVERIFY(m_dialog->txtPrenom->text().isEmpty());
    QVERIFY(m_dialog->listSec->currentText().isEmpty());
    QCOMPARE(m_dialog->cmdCrer->text(), QStringLiteral("Créer"));
    QVERIFY(m_dialog->isVisible());

    // The next pupil takes the next password of the sequence, in the same open dialog.
    enter(QStringLiteral("DURAND"), QStringLiteral("Lea"), QStringLiteral("TS8"));
    const QString second = same.getpass(6);
    QTest::mouseClick(m_dialog->cmdCrer, Qt::LeftButton);
    QVERIFY(f->passwordIs(QStringLiteral("TS8DURANDLea"), second));
    QCOMPARE(f->lines(QStringLiteral("utilisateurs.txt")).size(), 3);
}

void TestAjoutEleve::login_data()
{
    QTest::addColumn<QString>("surname");
    QTest::addColumn<QString>("firstNames");
    QTest::addColumn<QString>("className");
    QTest::addColumn<QString>("login");
    // The rule's cases are in its own table; this one shows that the dialog applies it, to a class
    // name that a folder and a logon script take as typed.
    QTest::newRow("class never cut, typed case") << "MARTIN"
                                                 << "Paul"
                                                 << "1ere sti 2"
                                                 << "1ere sti 2MARTINPaul";
}

void TestAjoutEleve::login()
{
    QFETCH(QString, surname);
    QFETCH(QString, firstNames);
    QFETCH(QString, className);
    QFETCH(QString, login);
    QVERIFY(f->createGroup(className) || className == QStringLiteral("TS8"));
    QVERIFY(f->makeFolders(QStringLiteral("E:\\Perso\\eleves\\") + className));
    QVERIFY(openDialog());
    enter(surname, firstNames, className);
    QTest::mouseClick(m_dialog->cmdCrer, Qt::LeftButton);

    QVERIFY(f->exists(login));
    QCOMPARE(f->property(login, DirProperty::LoginScript).toString(), className + QStringLiteral(".bat"));
    QVERIFY(f->membersOf(className).contains(login));
    QCOMPARE(f->lines(QStringLiteral("utilisateurs.txt")), QStringList {login});
    const QString personal = QStringLiteral("E:\\Perso\\eleves\\") + className + u'\\' + login;
    QVERIFY(QFileInfo(f->host(personal)).isDir());
    QCOMPARE(f->shell.lines(), QStringList {perso() + personal + u' ' + login});
    QVERIFY(f->prompts.messages().first().startsWith(
        QStringLiteral("Vous venez d'ajouter l' utilisateur: ") + login + QStringLiteral(" ses droits")));
}

void TestAjoutEleve::existingLoginShowsNoPassword()
{
    QVERIFY(openDialog());
    enter(QStringLiteral("MARTIN"), QStringLiteral("Paul"), QStringLiteral("TS8"));
    QTest::mouseClick(m_dialog->cmdCrer, Qt::LeftButton);
    PasswordGenerator same(EnrolFixture::kSeed);
    const QString first = same.getpass(6);
    const QString second = same.getpass(6);
    QVERIFY(first != second);

    // Another Paul Martin in TS8: same login, so no new account.
    f->prompts.clear();
    enter(QStringLiteral("MARTIN"), QStringLiteral("Paul"), QStringLiteral("TS8"));
    QTest::mouseClick(m_dialog->cmdCrer, Qt::LeftButton);

    QCOMPARE(f->prompts.messages(),
        QStringList {u"Le compte TS8MARTINPaul n'a pas pu être créé : un compte de ce nom existe peut-être "
                     "déjà.\rAucun mot de passe ne lui a été attribué."_s});
    QVERIFY(!f->prompts.messages().first().contains(second));
    QVERIFY(f->passwordIs(QStringLiteral("TS8MARTINPaul"), first));
    // The other steps still ran, as for any pupil: the list holds the login twice.
    QCOMPARE(f->lines(QStringLiteral("utilisateurs.txt")), QStringList({u"TS8MARTINPaul"_s, u"TS8MARTINPaul"_s}));
    QCOMPARE(f->shell.lines().size(), 2);
    QVERIFY(m_dialog->txtNom->text().isEmpty());
    QCOMPARE(m_dialog->cmdCrer->text(), QStringLiteral("Créer"));
}

void TestAjoutEleve::passwordRefusedShowsNoPassword()
{
    PolicyDirectory domain(*f->directory);
    domain.refusePasswords = true;
    f->directorySwitch.switchTo(domain);
    QVERIFY(openDialog());
    enter(QStringLiteral("MARTIN"), QStringLiteral("Paul"), QStringLiteral("TS8"));
    QTest::mouseClick(m_dialog->cmdCrer, Qt::LeftButton);
    const QString drawn = PasswordGenerator(EnrolFixture::kSeed).getpass(6);

    // The account is there, in its groups, without the drawn password: the message says why.
    QCOMPARE(f->prompts.messages(),
        QStringList {u"Le compte TS8MARTINPaul a été créé, mais son mot de passe n'a pas pu être défini.\r"
                     "Donnez-lui un mot de passe avant de le communiquer à l'élève.\r"
                     "Le mot de passe de « TS8MARTINPaul » est refusé par la stratégie du domaine (0000052D: the "
                     "password is too short)."_s});
    QVERIFY(!f->passwordIs(QStringLiteral("TS8MARTINPaul"), drawn));
    QVERIFY(f->membersOf(QStringLiteral("eleves")).contains(QStringLiteral("TS8MARTINPaul")));
    QVERIFY(f->membersOf(QStringLiteral("TS8")).contains(QStringLiteral("TS8MARTINPaul")));
    QCOMPARE(f->lines(QStringLiteral("utilisateurs.txt")), QStringList {u"TS8MARTINPaul"_s});
}

void TestAjoutEleve::listThatCannotBeWritten()
{
    // The account list's place is a folder: the account is made, and the message says that the
    // year-end removal would miss it, as the bulk creation does.
    QDir().mkpath(f->folder.path() + QStringLiteral("/utilisateurs.txt"));
    QVERIFY(openDialog());
    enter(QStringLiteral("MARTIN"), QStringLiteral("Paul"), QStringLiteral("TS8"));
    QTest::mouseClick(m_dialog->cmdCrer, Qt::LeftButton);

    QVERIFY(f->exists(QStringLiteral("TS8MARTINPaul")));
    QCOMPARE(f->prompts.messages().size(), 1);
    const QString text = f->prompts.messages().first();
    const QString tail
        = QStringLiteral("  notez le !!\rLe compte TS8MARTINPaul n'a pas été ajouté à la liste des comptes : ");
    QVERIFY2(text.contains(tail) && !text.endsWith(tail), qPrintable(text));
}

void TestAjoutEleve::refusedBeforeWriting_data()
{
    QTest::addColumn<bool>("sharesServed");
    QTest::addColumn<QString>("said");
    QTest::newRow("shares not served") << false
                                       << "ajoutez la ligne « registry shares = yes ».\rAucun compte n'a été créé.";
    QTest::newRow("domain's policy") << true << "qui demande au moins 7 caractères et des caractères de trois sortes";
}

void TestAjoutEleve::refusedBeforeWriting()
{
    QFETCH(bool, sharesServed);
    QFETCH(QString, said);
    PolicyDirectory domain(*f->directory);
    PasswordPolicy strict;
    strict.source = PasswordPolicy::Source::Domain;
    strict.minimumLength = 7;
    strict.complexity = true;
    domain.memberPolicy = strict;
    f->directorySwitch.switchTo(domain);
    if (!sharesServed)
        f->shell.sharesServed = Status::failure(QStringLiteral("Samba ne sert pas les partages : ajoutez la ligne "
                                                               "« registry shares = yes »."));
    QVERIFY(openDialog());
    enter(QStringLiteral("MARTIN"), QStringLiteral("Paul"), QStringLiteral("TS8"));
    QTest::mouseClick(m_dialog->cmdCrer, Qt::LeftButton);

    // One message, nothing written, and the fields kept for another try.
    QCOMPARE(f->prompts.messages().size(), 1);
    QVERIFY2(f->prompts.messages().first().contains(said), qPrintable(f->prompts.messages().first()));
    QCOMPARE(f->shell.shareChecks, 1);
    QVERIFY(!f->exists(QStringLiteral("TS8MARTINPaul")));
    QVERIFY(!f->folder.exists(QStringLiteral("utilisateurs.txt")));
    QVERIFY(f->shell.started.isEmpty());
    QVERIFY(!QFileInfo::exists(f->host(QStringLiteral("E:\\Perso\\eleves\\TS8\\TS8MARTINPaul"))));
    QCOMPARE(m_dialog->txtNom->text(), QStringLiteral("MARTIN"));
    QCOMPARE(m_dialog->cmdCrer->text(), QStringLiteral("Créer"));
}

void TestAjoutEleve::emptyFieldsRefused_data()
{
    QTest::addColumn<QString>("surname");
    QTest::addColumn<QString>("firstNames");
    QTest::addColumn<QString>("className");
    QTest::newRow("no surname") << ""
                                << "Paul"
                                << "TS8";
    QTest::newRow("blank surname") << "   "
                                   << "Paul"
                                   << "TS8";
    QTest::newRow("no first names") << "MARTIN"
                                    << ""
                                    << "TS8";
    QTest::newRow("no class") << "MARTIN"
                              << "Paul"
                              << "";
    QTest::newRow("blank class") << "MARTIN"
                                 << "Paul"
                                 << " ";
    QTest::newRow("nothing") << ""
                             << ""
                             << "";
}

void TestAjoutEleve::emptyFieldsRefused()
{
    QFETCH(QString, surname);
    QFETCH(QString, firstNames);
    QFETCH(QString, className);
    QVERIFY(openDialog());
    enter(surname, firstNames, className);
    QTest::mouseClick(m_dialog->cmdCrer, Qt::LeftButton);

    QCOMPARE(f->prompts.messages(),
        QStringList {u"Veuillez indiquer le nom, les prénoms et le groupe de l'élève : aucun compte n'a été créé."_s});
    QVERIFY(f->membersOf(u"eleves"_s).isEmpty());
    QVERIFY(!f->exists(className + surname + firstNames));
    QVERIFY(f->shell.started.isEmpty());
    QVERIFY(!f->folder.exists(QStringLiteral("utilisateurs.txt")));
    QVERIFY(QDir(f->host(QStringLiteral("E:\\Perso\\eleves\\TS8"))).isEmpty());
    // What was typed stays, to be completed.
    QCOMPARE(m_dialog->txtNom->text(), surname);
    QCOMPARE(m_dialog->listSec->currentText(), className);
    QCOMPARE(m_dialog->cmdCrer->text(), QStringLiteral("Créer"));
}

void TestAjoutEleve::classWithoutGroup()
{
    QVERIFY(openDialog());
    enter(QStringLiteral("MARTIN"), QStringLiteral("Paul"), QStringLiteral("TZ9"));
    QTest::mouseClick(m_dialog->cmdCrer, Qt::LeftButton);

    QVERIFY(f->exists(QStringLiteral("TZ9MARTINPaul")));
    QCOMPARE(f->membersOf(u"eleves"_s), QStringList {u"TZ9MARTINPaul"_s});
    QVERIFY(!QFileInfo::exists(f->host(QStringLiteral("E:\\Perso\\eleves\\TZ9"))));
    QCOMPARE(f->lines(QStringLiteral("utilisateurs.txt")), QStringList {u"TZ9MARTINPaul"_s});
    QVERIFY(f->prompts.messages().first().contains(QStringLiteral("ATTENTION SON MOT DE PASSE EST : ")));
}

void TestAjoutEleve::cannotOpen_data()
{
    QTest::addColumn<bool>("settings");
    QTest::addColumn<QString>("why");
    QTest::newRow("no settings") << false << "parametres.txt";
    QTest::newRow("server out of reach") << true << "Le serveur ne répond pas.";
}

void TestAjoutEleve::cannotOpen()
{
    QFETCH(bool, settings);
    QFETCH(QString, why);
    if (!settings)
        QVERIFY(QFile::remove(f->folder.path() + QStringLiteral("/parametres.txt")));
    else
        f->directory->refusedPaths << QStringLiteral("WinNT://SRVPEDA");
    QVERIFY(!AjoutEleve::make(f->services));
    QCOMPARE(f->prompts.messages().size(), 1);
    const QString text = f->prompts.messages().first();
    QVERIFY2(
        text.startsWith(QStringLiteral("La fenêtre « Ajouter un élève » ne peut pas s'ouvrir.\r")), qPrintable(text));
    QVERIFY2(text.contains(why), qPrintable(text));
}

void TestAjoutEleve::cancelCloses()
{
    QVERIFY(openDialog());
    QTest::mouseClick(m_dialog->cmdAnnul, Qt::LeftButton);
    QVERIFY(!m_dialog->isVisible());
    QVERIFY(f->shell.started.isEmpty());
    QVERIFY(f->prompts.shown.isEmpty());
}

void TestAjoutEleve::menuNamesOpenTheDialogs()
{
    using Open = QWidget *(*)(DialogHost &, Services &);
    const std::pair<QString, Open> dialogs[] = {
        {u"ajouteleve"_s, &openAs<AjoutEleve>},
        {u"ajoutprof"_s, &openAs<AjoutProf>},
        {u"suppprof"_s, &openAs<SuppProf>},
        {u"suppeleves"_s, &openAs<SuppEleves>},
    };
    for (const auto &[name, open] : dialogs) {
        QWidget *dialog = open(f->dialogs, f->services);
        QVERIFY2(dialog, qPrintable(name));
        QCOMPARE(dialog->objectName(), name);
        QVERIFY(dialog->isWindow());
        QVERIFY(!dialog->parentWidget());
        // Opening it again brings the same window forward.
        QCOMPARE(open(f->dialogs, f->services), dialog);
    }
    f->dialogs.closeAll();
}

QTEST_MAIN(TestAjoutEleve)
#include "tst_ajouteleve.moc"
