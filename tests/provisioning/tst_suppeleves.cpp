#include "enrolfixture.h"
#include "journal/journalfile.h"
#include "provisioning/suppeleves.h"

#include <QCryptographicHash>

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>

using namespace Qt::StringLiterals;

class TestSuppEleves : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void layout();
    void cancelRemovesNothing();
    void removesAllPupils_data();
    void removesAllPupils();
    void missingListsReadAsEmpty();
    void accountAlreadyGoneStillCounted();
    void emptyOrRootBoxesLeftAlone_data();
    void emptyOrRootBoxesLeftAlone();
    void accountsNotRemovedStayListed_data();
    void accountsNotRemovedStayListed();
    void unreadableListKept();
    void cannotOpenWithoutSettings();
    void removalJournal();

private:
    SuppEleves *openDialog();
    void writeLogins(const QStringList &logins);
    QString delList() const { return u"cmd.exe /c del "_s + f->folder.path() + u"\\utilisateurs.txt"_s; }

    std::unique_ptr<EnrolFixture> f;
    SuppEleves *m_dialog = nullptr;
};

void TestSuppEleves::init()
{
    f = std::make_unique<EnrolFixture>();
    QVERIFY(f->createGroup(QStringLiteral("eleves")));
    QVERIFY(f->createGroup(QStringLiteral("profs")));
    QVERIFY(f->createGroup(QStringLiteral("TS8")));
    QVERIFY(f->createUser(QStringLiteral("DURANDAnne")));
    f->folder.writeFile(QStringLiteral("div.txt"), "T08,TS8\r\n201,2NDE1\r\n");
    m_dialog = nullptr;
}

void TestSuppEleves::cleanup()
{
    delete m_dialog;
    m_dialog = nullptr;
    f.reset();
}

SuppEleves *TestSuppEleves::openDialog()
{
    m_dialog = SuppEleves::make(f->services);
    if (m_dialog)
        m_dialog->show();
    return m_dialog;
}

void TestSuppEleves::writeLogins(const QStringList &logins)
{
    QByteArray bytes;
    for (const QString &login : logins) {
        QVERIFY(f->createUser(login));
        bytes += login.toLatin1() + "\r\n";
    }
    f->folder.writeFile(QStringLiteral("utilisateurs.txt"), bytes);
}

void TestSuppEleves::layout()
{
    QVERIFY(openDialog());
    QCOMPARE(m_dialog->objectName(), QStringLiteral("suppeleves"));
    QCOMPARE(m_dialog->windowTitle(), QStringLiteral("suppression de tous les élèves"));
    auto *label = m_dialog->findChild<QLabel *>(u"Label1"_s);
    QCOMPARE(label->text(),
        QStringLiteral("Attention, ceci est la fonction qui supprime tous les comptes élèves ainsi "
                       "que leurs répertoires personnels respectifs"));
    QCOMPARE(label->font().family(), QStringLiteral("Arial Black"));
    QVERIFY(m_dialog->findChild<QProgressBar *>(u"bar1"_s));
    QCOMPARE(m_dialog->findChild<QPushButton *>(u"cmd_ok"_s)->text(), QStringLiteral("Effacer"));
    QCOMPARE(m_dialog->findChild<QPushButton *>(u"cmd_cancel"_s)->text(), QStringLiteral("Annuler"));

    QTest::mouseClick(m_dialog->cmdCancel, Qt::LeftButton);
    QVERIFY(!m_dialog->isVisible());
    QVERIFY(f->shell.started.isEmpty());
    QVERIFY(f->prompts.shown.isEmpty());
}

void TestSuppEleves::cancelRemovesNothing()
{
    writeLogins({u"TS8MARTINPaul"_s, u"TS8DURANDLea"_s});
    QVERIFY(f->makeFolders(QStringLiteral("E:\\Perso\\eleves\\TS8")));
    QVERIFY(openDialog());
    f->prompts.answerConfirm(false);
    QTest::mouseClick(m_dialog->cmdOk, Qt::LeftButton);

    QCOMPARE(f->prompts.shown.size(), 1);
    QCOMPARE(f->prompts.shown.first().kind, QStringLiteral("confirm"));
    QCOMPARE(f->prompts.shown.first().text, QStringLiteral("Attention, êtes vous sûre ?"));
    QVERIFY(f->prompts.shown.first().title.isEmpty());
    QVERIFY(f->shell.started.isEmpty());
    QVERIFY(f->exists(QStringLiteral("TS8MARTINPaul")));
    QVERIFY(f->exists(QStringLiteral("TS8DURANDLea")));
    QCOMPARE(f->lines(QStringLiteral("utilisateurs.txt")).size(), 2);
    QVERIFY(!m_dialog->isVisible());
    QCOMPARE(m_dialog->cmdOk->text(), QStringLiteral("Effacer"));
}

void TestSuppEleves::removesAllPupils_data()
{
    QTest::addColumn<int>("count");
    QTest::newRow("none") << 0;
    QTest::newRow("one") << 1;
    QTest::newRow("three") << 3;
}

void TestSuppEleves::removesAllPupils()
{
    QFETCH(int, count);
    QStringList logins;
    for (int i = 0; i < count; ++i)
        logins << QStringLiteral("TS8ELEVE%1").arg(i);
    writeLogins(logins);
    QVERIFY(f->makeFolders(QStringLiteral("E:\\Perso\\eleves\\TS8")));

    WatchingShell watcher;
    RecordingShell shell(&watcher);
    f->shellSwitch.switchTo(shell);
    QVERIFY(openDialog());
    QStringList captions;
    int messagesAtListDeletion = -1;
    watcher.onStart = [&](const QString &line) {
        captions << m_dialog->cmdOk->text();
        if (line == delList())
            messagesAtListDeletion = f->prompts.messages().size();
    };
    QTest::mouseClick(m_dialog->cmdOk, Qt::LeftButton);

    QStringList expected = {u"cmd.exe /c net share TS8 /del /y"_s, u"cmd.exe /c net share 2NDE1 /del /y"_s,
        u"cmd.exe /c net share public /del /y"_s, u"cmd.exe /c net share matieres /del /y"_s};
    for (const QString &login : std::as_const(logins))
        expected << u"cmd.exe /c net share "_s + login + u"$ /del /y"_s;
    expected << u"cmd.exe /c rd /s/q E:\\Perso\\eleves"_s << u"cmd.exe /c del /s/q E:\\Matieres"_s
             << u"cmd.exe /c rd /s/q E:\\Public"_s << delList();
    QCOMPARE(shell.lines(), expected);
    for (const RecordingShell::Started &started : std::as_const(shell.started)) {
        QCOMPARE(started.style, WindowStyle::Minimized);
        QVERIFY(!started.waited);
    }
    // Working until the message, its own caption again when the list is deleted.
    QCOMPARE(captions.size(), expected.size());
    QCOMPARE(captions.first(), QStringLiteral("En cours ..."));
    QCOMPARE(captions.at(captions.size() - 2), QStringLiteral("En cours ..."));
    QCOMPARE(captions.last(), QStringLiteral("Effacer"));
    QCOMPARE(messagesAtListDeletion, 1);

    for (const QString &login : std::as_const(logins))
        QVERIFY2(!f->exists(login), qPrintable(login));
    // Groups and other accounts stay.
    QVERIFY(f->exists(QStringLiteral("DURANDAnne")));
    QVERIFY(f->exists(QStringLiteral("TS8")));
    QVERIFY(f->exists(QStringLiteral("eleves")));
    QVERIFY(f->exists(QStringLiteral("profs")));

    QCOMPARE(m_dialog->bar1->minimum(), 0);
    if (count > 0) {
        QCOMPARE(m_dialog->bar1->maximum(), count);
        QCOMPARE(m_dialog->bar1->value(), count);
    } else {
        QCOMPARE(m_dialog->bar1->value(), 0);
    }
    QCOMPARE(f->prompts.shown.size(), 2);
    QCOMPARE(f->prompts.shown.last().kind, QStringLiteral("message"));
    QVERIFY(f->prompts.shown.last().title.isEmpty());
    QCOMPARE(f->prompts.shown.last().text, QStringLiteral("Suppression de %1 élèves effectuée").arg(count));
    QVERIFY(!m_dialog->isVisible());
}

void TestSuppEleves::missingListsReadAsEmpty()
{
    QVERIFY(QFile::remove(f->folder.path() + QStringLiteral("/div.txt")));
    QVERIFY(openDialog());
    QTest::mouseClick(m_dialog->cmdOk, Qt::LeftButton);
    QCOMPARE(f->shell.lines(),
        QStringList({u"cmd.exe /c net share public /del /y"_s, u"cmd.exe /c net share matieres /del /y"_s,
            u"cmd.exe /c rd /s/q E:\\Perso\\eleves"_s, u"cmd.exe /c del /s/q E:\\Matieres"_s,
            u"cmd.exe /c rd /s/q E:\\Public"_s, delList()}));
    QCOMPARE(f->prompts.messages(), QStringList {u"Suppression de 0 élèves effectuée"_s});
    QVERIFY(f->exists(QStringLiteral("DURANDAnne")));
}

void TestSuppEleves::accountAlreadyGoneStillCounted()
{
    writeLogins({u"TS8MARTINPaul"_s, u"TS8DURANDLea"_s});
    // Removed by hand during the year; a blank line left at the end of the list names nobody.
    auto container = f->store->bind(QStringLiteral("WinNT://SRVPEDA"));
    QVERIFY(container);
    QVERIFY((*container)->deleteObject(DirKind::User, QStringLiteral("TS8MARTINPaul")));
    f->folder.writeFile(QStringLiteral("utilisateurs.txt"), "TS8MARTINPaul\r\nTS8DURANDLea\r\n\r\n");
    QVERIFY(openDialog());
    QTest::mouseClick(m_dialog->cmdOk, Qt::LeftButton);

    QVERIFY(!f->exists(QStringLiteral("TS8DURANDLea")));
    QVERIFY(f->shell.lines().contains(u"cmd.exe /c net share TS8MARTINPaul$ /del /y"_s));
    QVERIFY(f->shell.lines().contains(delList()));
    QCOMPARE(f->prompts.messages(), QStringList {u"Suppression de 2 élèves effectuée"_s});
    QCOMPARE(m_dialog->bar1->value(), m_dialog->bar1->maximum());
}

void TestSuppEleves::emptyOrRootBoxesLeftAlone_data()
{
    QTest::addColumn<QString>("home");
    QTest::addColumn<QString>("subjects");
    QTest::addColumn<QString>("publicFolder");
    QTest::addColumn<QStringList>("folderCommands");
    QTest::addColumn<QStringList>("notes");
    const QString homeNote = u"Les répertoires personnels des élèves n'ont pas été supprimés : le chemin des "
                             "répertoires personnels est vide ou désigne la racine d'un lecteur."_s;
    const QString subjectsNote = u"Les fichiers des matières n'ont pas été supprimés : le chemin du répertoire des "
                                 "matières est vide ou désigne la racine d'un lecteur."_s;
    const QString publicNote
        = u"Le répertoire public n'a pas été supprimé : son chemin est vide ou désigne la racine d'un lecteur."_s;
    // clang-format off
    QTest::newRow("home empty") << "" << "E:\\Matieres" << "E:\\Public" << QStringList({u"cmd.exe /c del /s/q E:\\Matieres"_s, u"cmd.exe /c rd /s/q E:\\Public"_s}) << QStringList {homeNote};
    QTest::newRow("subjects a drive") << "E:\\Perso" << "E:" << "E:\\Public" << QStringList({u"cmd.exe /c rd /s/q E:\\Perso\\eleves"_s, u"cmd.exe /c rd /s/q E:\\Public"_s}) << QStringList {subjectsNote};
    QTest::newRow("public a drive root") << "E:\\Perso" << "E:\\Matieres" << "F:\\" << QStringList({u"cmd.exe /c rd /s/q E:\\Perso\\eleves"_s, u"cmd.exe /c del /s/q E:\\Matieres"_s}) << QStringList {publicNote};
    QTest::newRow("public climbs to the root") << "E:\\Perso" << "E:\\Matieres" << "E:\\Public\\.." << QStringList({u"cmd.exe /c rd /s/q E:\\Perso\\eleves"_s, u"cmd.exe /c del /s/q E:\\Matieres"_s}) << QStringList {publicNote};
    QTest::newRow("all blank") << " " << "" << "" << QStringList() << QStringList({homeNote, subjectsNote, publicNote});
    // clang-format on
}

void TestSuppEleves::emptyOrRootBoxesLeftAlone()
{
    QFETCH(QString, home);
    QFETCH(QString, subjects);
    QFETCH(QString, publicFolder);
    QFETCH(QStringList, folderCommands);
    QFETCH(QStringList, notes);
    f->main.homePath = home;
    f->main.subjectsPath = subjects;
    f->main.publicPath = publicFolder;
    writeLogins({u"TS8MARTINPaul"_s});
    QVERIFY(openDialog());
    QTest::mouseClick(m_dialog->cmdOk, Qt::LeftButton);

    QStringList folderLines;
    for (const QString &line : f->shell.lines()) {
        if (line.startsWith(u"cmd.exe /c rd "_s) || line.startsWith(u"cmd.exe /c del /s/q "_s))
            folderLines << line;
    }
    QCOMPARE(folderLines, folderCommands);
    QCOMPARE(f->prompts.messages(),
        QStringList {(QStringList {u"Suppression de 1 élèves effectuée"_s} + notes).join(u'\r')});
    // The rest of the removal went on.
    QVERIFY(!f->exists(QStringLiteral("TS8MARTINPaul")));
    QVERIFY(f->shell.lines().contains(delList()));
}

void TestSuppEleves::accountsNotRemovedStayListed_data()
{
    QTest::addColumn<bool>("serverOutOfReach");
    QTest::newRow("deletion refused") << false;
    QTest::newRow("server out of reach") << true;
}

void TestSuppEleves::accountsNotRemovedStayListed()
{
    QFETCH(bool, serverOutOfReach);
    writeLogins({u"TS8MARTINPaul"_s, u"TS8DURANDLea"_s});
    QVERIFY(openDialog());
    if (serverOutOfReach)
        f->directory->refusedPaths << QStringLiteral("WinNT://SRVPEDA");
    else
        f->directory->refuseDeletes = true;
    QTest::mouseClick(m_dialog->cmdOk, Qt::LeftButton);

    QVERIFY(f->exists(QStringLiteral("TS8MARTINPaul")));
    QVERIFY(f->exists(QStringLiteral("TS8DURANDLea")));
    QCOMPARE(f->lines(QStringLiteral("utilisateurs.txt")), QStringList({u"TS8MARTINPaul"_s, u"TS8DURANDLea"_s}));
    QVERIFY(!f->shell.lines().contains(delList()));
    QCOMPARE(f->prompts.messages().size(), 1);
    const QString text = f->prompts.messages().first();
    QVERIFY2(text.startsWith(QStringLiteral("Suppression de 2 élèves effectuée\r2 comptes n'ont pas pu être supprimés "
                                            "de l'annuaire")),
        qPrintable(text));
    QVERIFY2(text.endsWith(QStringLiteral(" : ils restent dans la liste utilisateurs.txt.")), qPrintable(text));
    QCOMPARE(text.contains(QStringLiteral("Le serveur ne répond pas.")), serverOutOfReach);
    QCOMPARE(m_dialog->bar1->value(), 2);
}

void TestSuppEleves::unreadableListKept()
{
    // Something that cannot be read stands where the list should be: it is neither used nor deleted.
    QVERIFY(QDir().mkdir(f->folder.path() + QStringLiteral("/utilisateurs.txt")));
    QVERIFY(openDialog());
    QTest::mouseClick(m_dialog->cmdOk, Qt::LeftButton);
    QVERIFY(!f->shell.lines().contains(delList()));
    QVERIFY(f->shell.lines().contains(u"cmd.exe /c rd /s/q E:\\Perso\\eleves"_s));
    QCOMPARE(f->prompts.messages().size(), 1);
    QVERIFY(f->prompts.messages().first().startsWith(
        QStringLiteral("Suppression de 0 élèves effectuée\rLa liste utilisateurs.txt n'a pas pu être lue ; elle est "
                       "conservée : ")));
}

void TestSuppEleves::cannotOpenWithoutSettings()
{
    f->folder.writeFile(QStringLiteral("parametres.txt"), "");
    QVERIFY(!SuppEleves::make(f->services));
    QCOMPARE(f->prompts.messages().size(), 1);
    QVERIFY(f->prompts.messages().first().startsWith(
        QStringLiteral("La fenêtre « suppression de tous les élèves » ne peut pas s'ouvrir.\r")));
}

void TestSuppEleves::removalJournal()
{
    constexpr QFile::Permissions kOpenToOthers = QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup
        | QFile::ReadOther | QFile::WriteOther | QFile::ExeOther;
    writeLogins({u"TS8MARTINPaul"_s, u"TS8DURANDLea"_s});
    auto container = f->store->bind(QStringLiteral("WinNT://SRVPEDA"));
    QVERIFY(container);
    QVERIFY((*container)->deleteObject(DirKind::User, QStringLiteral("TS8MARTINPaul")));
    const QByteArray list = f->folder.readFile(QStringLiteral("utilisateurs.txt"));
    f->main.publicPath = QStringLiteral("E:");
    QVERIFY(openDialog());
    QTest::mouseClick(m_dialog->cmdOk, Qt::LeftButton);

    const QStringList journals = JournalFile::list(f->folder.paths(), QStringLiteral("suppression"));
    QCOMPARE(journals.size(), 1);
    QVERIFY2(QRegularExpression(QStringLiteral("\\\\journal\\\\suppression-\\d{8}-\\d{6}\\.txt$"))
                 .match(journals[0])
                 .hasMatch(),
        qPrintable(journals[0]));
    QCOMPARE(QFile::permissions(f->host(journals[0])) & kOpenToOthers, QFile::Permissions());
    const QStringList lines = JournalFile::readLines(f->folder.paths(), journals[0]).value();
    const QString sum = QString::fromLatin1(QCryptographicHash::hash(list, QCryptographicHash::Sha256).toHex());
    QCOMPARE(lines.mid(0, 3),
        (QStringList {u"Liste des comptes : "_s + f->folder.paths().programFolder() + u"\\utilisateurs.txt"_s,
            QStringLiteral("Taille : %1 octets").arg(list.size()), u"Somme de contrôle SHA-256 : "_s + sum}));
    QVERIFY(lines.contains(u"Élèves : 2"_s));
    QVERIFY(lines.contains(u"partage TS8 : fait"_s));
    // The account removed by hand earlier says why it could not be removed again.
    QCOMPARE(
        lines.filter(QRegularExpression(u"^1 ; TS8MARTINPaul ; compte : échec \\(.+\\) ; partage : fait$"_s)).size(),
        1);
    QVERIFY(lines.contains(u"2 ; TS8DURANDLea ; compte : fait ; partage : fait"_s));
    QVERIFY(lines.contains(u"E:\\Perso\\eleves : fait"_s));
    QVERIFY(lines.contains(u"E: : laissé (chemin vide ou racine d'un lecteur)"_s));
    QCOMPARE(lines.mid(lines.size() - 2), (QStringList {u"liste utilisateurs.txt supprimée : fait"_s, u"fin"_s}));
}

QTEST_MAIN(TestSuppEleves)
#include "tst_suppeleves.moc"
