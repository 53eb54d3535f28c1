#include "enrolfixture.h"
#include "provisioning/ajoutprof.h"

#include <QComboBox>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using namespace Qt::StringLiterals;

class TestAjoutProf : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void layout();
    void disciplines_data();
    void disciplines();
    void createsTheAccount();
    void login_data();
    void login();
    void existingLoginReportedAndListedTwice();
    void refusedNames_data();
    void refusedNames();
    void sharesThatWouldNotBeServed();
    void cannotOpenWithoutSettings();

private:
    AjoutProf *openDialog();
    void enrol(const QString &surname, const QString &firstName, const QString &discipline);
    QString prof() const { return f->folder.path() + QStringLiteral("\\prof.bat "); }

    std::unique_ptr<EnrolFixture> f;
    AjoutProf *m_dialog = nullptr;
};

void TestAjoutProf::init()
{
    f = std::make_unique<EnrolFixture>();
    QVERIFY(f->createGroup(QStringLiteral("eleves")));
    QVERIFY(f->createGroup(QStringLiteral("profs")));
    QVERIFY(f->makeFolders(QStringLiteral("E:\\Perso\\profs")));
    m_dialog = nullptr;
}

void TestAjoutProf::cleanup()
{
    delete m_dialog;
    m_dialog = nullptr;
    f.reset();
}

AjoutProf *TestAjoutProf::openDialog()
{
    m_dialog = AjoutProf::make(f->services);
    if (m_dialog)
        m_dialog->show();
    return m_dialog;
}

void TestAjoutProf::enrol(const QString &surname, const QString &firstName, const QString &discipline)
{
    m_dialog->txtNom->setText(surname);
    m_dialog->txtPrenom->setText(firstName);
    m_dialog->cboMat->setEditText(discipline);
    QTest::mouseClick(m_dialog->cmdCreer, Qt::LeftButton);
}

void TestAjoutProf::layout()
{
    QVERIFY(openDialog());
    QCOMPARE(m_dialog->objectName(), QStringLiteral("ajoutprof"));
    QCOMPARE(m_dialog->windowTitle(), QStringLiteral("Ajout d'un professeur"));
    const QList<QPair<QString, QString>> labels = {
        {u"Label1"_s, u"Nom :"_s},
        {u"Label2"_s, u"Prenom :"_s},
        {u"Label3"_s, u"discipline :"_s},
        {u"Label4"_s,
            u"Cette fonction est utilisée pour créer un Professeur, ceci englobe la création du compte, des "
            "permissions et des des répertoires."_s},
    };
    for (const auto &[name, text] : labels) {
        auto *label = m_dialog->findChild<QLabel *>(name);
        QVERIFY2(label, qPrintable(name));
        QCOMPARE(label->text(), text);
    }
    QCOMPARE(m_dialog->findChild<QPushButton *>(QStringLiteral("cmd_créer"))->text(), QStringLiteral("Créer"));
    QCOMPARE(m_dialog->findChild<QPushButton *>(u"cmd_annuler"_s)->text(), QStringLiteral("Annuler"));
    QVERIFY(m_dialog->findChild<QLineEdit *>(u"txt_nom"_s));
    QVERIFY(m_dialog->findChild<QLineEdit *>(u"txt_prenom"_s));
    QVERIFY(m_dialog->findChild<QComboBox *>(u"cbo_mat"_s)->isEditable());
    QCOMPARE(m_dialog->cboMat->accessibleName(), QStringLiteral("discipline :"));

    QTest::mouseClick(m_dialog->cmdAnnuler, Qt::LeftButton);
    QVERIFY(!m_dialog->isVisible());
    QVERIFY(f->shell.started.isEmpty());
}

void TestAjoutProf::disciplines_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<bool>("present");
    QTest::addColumn<QStringList>("entries");
    // clang-format off
    QTest::newRow("missing") << QByteArray() << false << QStringList();
    QTest::newRow("empty") << QByteArray() << true << QStringList();
    QTest::newRow("lines and commas, in order, duplicates kept") << QByteArray("Mathématiques\r\nAnglais,Histoire\r\n\"Physique, chimie\"\r\nAnglais\r\n") << true << QStringList({u"Mathématiques"_s, u"Anglais"_s, u"Histoire"_s, u"Physique, chimie"_s, u"Anglais"_s});
    // clang-format on
}

void TestAjoutProf::disciplines()
{
    QFETCH(QByteArray, file);
    QFETCH(bool, present);
    QFETCH(QStringList, entries);
    if (present)
        f->folder.writeFile(QStringLiteral("mat.txt"), QString::fromUtf8(file).toLatin1());
    QVERIFY(openDialog());
    QStringList offered;
    for (int i = 0; i < m_dialog->cboMat->count(); ++i)
        offered << m_dialog->cboMat->itemText(i);
    QCOMPARE(offered, entries);
    QVERIFY(m_dialog->cboMat->currentText().isEmpty());

    // A discipline typed rather than chosen is used as typed.
    enrol(QStringLiteral("DURAND"), QStringLiteral("Anne"), QStringLiteral("Occitan"));
    QCOMPARE(
        f->property(u"DURANDAnne"_s, DirProperty::Description).toString(), QStringLiteral("Professeur de : Occitan"));
}

void TestAjoutProf::createsTheAccount()
{
    WatchingShell watcher;
    RecordingShell shell(&watcher);
    f->shellSwitch.switchTo(shell);
    f->folder.writeFile(QStringLiteral("mat.txt"), QStringLiteral("Anglais\r\nMathématiques\r\n").toLatin1());
    QVERIFY(openDialog());
    QString captionAtScript;
    QStringList listAtScript;
    watcher.onStart = [&](const QString &) {
        captionAtScript = m_dialog->cmdCreer->text();
        listAtScript = f->lines(QStringLiteral("profsliste.txt"));
    };
    m_dialog->cboMat->setCurrentIndex(1);
    m_dialog->txtNom->setText(QStringLiteral("LEFEBVRE"));
    m_dialog->txtPrenom->setText(QStringLiteral("Christophe"));
    QTest::mouseClick(m_dialog->cmdCreer, Qt::LeftButton);

    const QString login = QStringLiteral("LEFEBVRECh");
    QVERIFY(QFileInfo(f->host(QStringLiteral("E:\\Perso\\profs\\LEFEBVRECh"))).isDir());
    QCOMPARE(f->property(login, DirProperty::FullName).toString(), QStringLiteral("LEFEBVRE Christophe"));
    QCOMPARE(f->property(login, DirProperty::Description).toString(), QStringLiteral("Professeur de : Mathématiques"));
    QCOMPARE(f->property(login, DirProperty::HomeDirectory).toString(), QStringLiteral("\\\\SRVPEDA\\LEFEBVRECh$"));
    QCOMPARE(f->property(login, DirProperty::LoginScript).toString(), QStringLiteral("profslogon.bat"));
    // No password is drawn or set for a teacher.
    QVERIFY(f->passwordIs(login, QString()));
    PasswordGenerator same(EnrolFixture::kSeed);
    QCOMPARE(f->passwords.getpass(6), same.getpass(6));
    QCOMPARE(f->membersOf(u"profs"_s), QStringList {login});
    QVERIFY(f->membersOf(u"eleves"_s).isEmpty());

    QCOMPARE(f->folder.readFile(QStringLiteral("profsliste.txt")), QByteArray("LEFEBVRECh\r\n"));
    QCOMPARE(shell.lines(), QStringList {prof() + u"E:\\Perso\\profs\\LEFEBVRECh LEFEBVRECh"_s});
    QCOMPARE(shell.started.first().style, WindowStyle::Minimized);
    QVERIFY(!shell.started.first().waited);
    QCOMPARE(listAtScript, QStringList {login});
    QCOMPARE(captionAtScript, QStringLiteral("En cours ..."));

    QCOMPARE(f->prompts.shown.size(), 1);
    QVERIFY(f->prompts.shown.first().title.isEmpty());
    QCOMPARE(f->prompts.shown.first().text,
        QStringLiteral("Vous venez d'ajouter l' utilisateur: LEFEBVRECh ses droits et répertoires ont été créés."));
    QVERIFY(m_dialog->txtNom->text().isEmpty());
    QVERIFY(m_dialog->txtPrenom->text().isEmpty());
    QVERIFY(m_dialog->cboMat->currentText().isEmpty());
    QCOMPARE(m_dialog->cboMat->count(), 2);
    QCOMPARE(m_dialog->cmdCreer->text(), QStringLiteral("Créer"));
    QVERIFY(m_dialog->isVisible());
}

void TestAjoutProf::login_data()
{
    QTest::addColumn<QString>("surname");
    QTest::addColumn<QString>("firstName");
    QTest::addColumn<QString>("login");
    // The rule's cases are in its own table; this one shows that the dialog applies it.
    QTest::newRow("cut") << "LEFEBVRE"
                         << "Christophe"
                         << "LEFEBVRECh";
}

void TestAjoutProf::login()
{
    QFETCH(QString, surname);
    QFETCH(QString, firstName);
    QFETCH(QString, login);
    QVERIFY(openDialog());
    enrol(surname, firstName, QStringLiteral("Anglais"));
    QVERIFY(f->exists(login));
    QCOMPARE(f->lines(QStringLiteral("profsliste.txt")), QStringList {login});
    QCOMPARE(f->shell.lines(), QStringList {prof() + u"E:\\Perso\\profs\\"_s + login + u' ' + login});
    QVERIFY(QFileInfo(f->host(QStringLiteral("E:\\Perso\\profs\\") + login)).isDir());
}

void TestAjoutProf::existingLoginReportedAndListedTwice()
{
    QVERIFY(openDialog());
    enrol(QStringLiteral("DUPONT"), QStringLiteral("Jean"), QStringLiteral("Anglais"));
    f->prompts.clear();
    // Jeanne Dupont shares the first ten characters: no second account.
    enrol(QStringLiteral("DUPONT"), QStringLiteral("Jeanne"), QStringLiteral("Histoire"));

    QCOMPARE(f->prompts.messages(),
        QStringList {u"Le compte DUPONTJean n'a pas pu être créé : un compte de ce nom existe peut-être déjà."_s});
    QCOMPARE(f->property(u"DUPONTJean"_s, DirProperty::FullName).toString(), QStringLiteral("DUPONT Jean"));
    QCOMPARE(
        f->property(u"DUPONTJean"_s, DirProperty::Description).toString(), QStringLiteral("Professeur de : Anglais"));
    QCOMPARE(f->membersOf(u"profs"_s), QStringList {u"DUPONTJean"_s});
    QCOMPARE(f->lines(QStringLiteral("profsliste.txt")), QStringList({u"DUPONTJean"_s, u"DUPONTJean"_s}));
    QCOMPARE(f->shell.lines().size(), 2);
    QVERIFY(m_dialog->txtNom->text().isEmpty());
}

void TestAjoutProf::refusedNames_data()
{
    QTest::addColumn<QString>("surname");
    QTest::addColumn<QString>("firstName");
    QTest::addColumn<QString>("message");
    const QString empty = u"Veuillez indiquer le nom et le prénom du professeur : aucun compte n'a été créé."_s;
    QTest::newRow("no surname") << ""
                                << "Anne" << empty;
    QTest::newRow("blank surname") << "  "
                                   << "Anne" << empty;
    QTest::newRow("no first name") << "DURAND"
                                   << "" << empty;
    QTest::newRow("nothing") << ""
                             << "" << empty;
    const QString unsafe = u"ne peut pas servir de nom de dossier."_s;
    QTest::newRow("space") << "LE GALL"
                           << "Anne" << unsafe;
    QTest::newRow("backslash") << "..\\..\\X"
                               << "Y" << unsafe;
    QTest::newRow("comma") << "DURAND,X"
                           << "Anne" << unsafe;
    QTest::newRow("operator") << "A&B"
                              << "C" << unsafe;
}

void TestAjoutProf::refusedNames()
{
    QFETCH(QString, surname);
    QFETCH(QString, firstName);
    QFETCH(QString, message);
    QVERIFY(openDialog());
    enrol(surname, firstName, QStringLiteral("Anglais"));
    QCOMPARE(f->prompts.messages().size(), 1);
    QVERIFY2(f->prompts.messages().first().contains(message), qPrintable(f->prompts.messages().first()));
    QVERIFY(f->membersOf(u"profs"_s).isEmpty());
    QVERIFY(f->shell.started.isEmpty());
    QVERIFY(!f->folder.exists(QStringLiteral("profsliste.txt")));
    QVERIFY(QDir(f->host(QStringLiteral("E:\\Perso\\profs"))).isEmpty());
    QCOMPARE(m_dialog->txtNom->text(), surname);
}

void TestAjoutProf::sharesThatWouldNotBeServed()
{
    const QString reason
        = QStringLiteral("Samba ne sert pas les partages : ajoutez la ligne « registry shares = yes ».");
    f->shell.sharesServed = Status::failure(reason);
    QVERIFY(openDialog());
    enrol(QStringLiteral("LEFEBVRE"), QStringLiteral("Christophe"), QStringLiteral("Anglais"));
    QCOMPARE(f->prompts.messages(), QStringList {reason + QStringLiteral("\rAucun compte n'a été créé.")});
    QCOMPARE(f->shell.shareChecks, 1);
    QVERIFY(!f->exists(QStringLiteral("LEFEBVRECh")));
    QVERIFY(f->shell.started.isEmpty());
    QVERIFY(!f->folder.exists(QStringLiteral("profsliste.txt")));
    QVERIFY(QDir(f->host(QStringLiteral("E:\\Perso\\profs"))).isEmpty());
    QCOMPARE(m_dialog->txtNom->text(), QStringLiteral("LEFEBVRE"));
}

void TestAjoutProf::cannotOpenWithoutSettings()
{
    QVERIFY(QFile::remove(f->folder.path() + QStringLiteral("/parametres.txt")));
    QVERIFY(!AjoutProf::make(f->services));
    QCOMPARE(f->prompts.messages().size(), 1);
    QVERIFY(f->prompts.messages().first().startsWith(
        QStringLiteral("La fenêtre « Ajout d'un professeur » ne peut pas s'ouvrir.\r")));
}

QTEST_MAIN(TestAjoutProf)
#include "tst_ajoutprof.moc"
