#include "shell/processshell.h"
#include "tools/mails.h"
#include "toolsfixture.h"

#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using namespace Qt::StringLiterals;

// The mailing-list dialog: its window, the emptying of the list folder and the lists it writes.
class TestMails : public QObject, private ToolsFixture<>
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void window();
    void listsFromTheThreeFiles();
    void generatingTwiceGivesTheSameLists();
    void refusesDriveRootOrEmptyFolder_data();
    void refusesDriveRootOrEmptyFolder();
    void missingListFolderWritesNothing();
    void missingSourcesAreNamed_data();
    void missingSourcesAreNamed();
    void unwritableListIsReported();
    void classThatCannotNameAFile();
    void emptyingThatCannotStartWritesNothing();
    void cancelDoesNothing();

private:
    Mails *open() { return ToolsFixture::open<Mails>(); }
    QString listFolder() const { return m_folder->drive(QStringLiteral("F")) + QStringLiteral("/mailinglistes"); }
    QByteArray list(const QString &name) const;
    void writeSources();
};

static QByteArray crlf(const QStringList &lines)
{
    QByteArray bytes;
    for (const QString &line : lines)
        bytes += line.toLatin1() + "\r\n";
    return bytes;
}

static QString at(const QString &login)
{
    return login + QStringLiteral("@") + Mails::kMailDomain;
}

void TestMails::init()
{
    setUp();
    QDir().mkpath(listFolder());
}

void TestMails::cleanup()
{
    tearDown();
}

QByteArray TestMails::list(const QString &name) const
{
    QFile file(listFolder() + u'/' + name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<absent>");
}

void TestMails::writeSources()
{
    // Two pupils of TS8 agree in their first ten characters; one record has no class; fields are
    // quoted and spread over lines as the field stream allows.
    m_folder->writeFile(QStringLiteral("drives/c/orvo/orvoconv.txt"),
        "DUPONT-LAJOIE,Jean-Pierre,TS8\r\n"
        "MARTIN,Paul,TS8\r\n"
        "\"LEFEVRE, dit Z\",\"Anne\",2A\r\n"
        "DUPONT-LAJOIE,Jeanne,TS8\r\n"
        "SANS,Classe,\r\n"
        "H\xc9LO\xcfSE,L\xe9"
        "a,2A\r\n");
    m_folder->writeFile(QStringLiteral("utilisateurs.txt"), "TS8MARTINPaul\r\n2ALEFEVRE, d\r\nTS8MARTINPaul\r\n");
    m_folder->writeFile(QStringLiteral("profsliste.txt"), "DURANDAnne\r\nLEFEBVRECh\r\n");
}

void TestMails::window()
{
    m_main.pupils = QStringLiteral("D:\\orvo\\converti.txt");
    Mails *dialog = open();
    QVERIFY(dialog);
    QCOMPARE(dialog->objectName(), QStringLiteral("mails"));
    QCOMPARE(dialog->windowTitle(), QStringLiteral("création des listes de diffusion email"));
    QVERIFY(!dialog->parentWidget());
    QVERIFY(dialog->windowFlags() & Qt::Tool);
    QCOMPARE(dialog->size(), QSize(383, 184));
    QCOMPARE(dialog->minimumSize(), dialog->maximumSize());

    struct Place
    {
        const char *name;
        QRect rect;
        QString text;
    };
    const QList<Place> places = {
        {"Label2", QRect(80, 64, 105, 17), QStringLiteral("Orvo converti")},
        {"txt_orvo", QRect(152, 64, 169, 19), QStringLiteral("D:\\orvo\\converti.txt")},
        {"Label3", QRect(48, 96, 97, 41), QStringLiteral("Répertoire des listes de diffustion")},
        {"txt_maildir", QRect(152, 104, 169, 19), QStringLiteral("f:\\mailinglistes")},
        {"cmd_gener", QRect(64, 160, 105, 17), QStringLiteral("Générer")},
        {"cmd_ennul", QRect(208, 160, 105, 17), QStringLiteral("Annuler")},
    };
    for (const Place &p : places) {
        QWidget *w = dialog->findChild<QWidget *>(QString::fromLatin1(p.name));
        QVERIFY2(w, p.name);
        // A label keeps its place and may grow to show its whole text.
        if (qobject_cast<QLabel *>(w))
            QCOMPARE(w->pos(), p.rect.topLeft());
        else
            QCOMPARE(w->geometry(), p.rect);
        QCOMPARE(w->property("text").toString(), p.text);
    }
    QCOMPARE(dialog->findChild<QLineEdit *>(QStringLiteral("txt_maildir"))->accessibleName(),
        QStringLiteral("Répertoire des listes de diffustion"));

    // The dialog exists once: showing it again brings the same window forward.
    QCOMPARE(m_dialogs->open<Mails>(*m_services), dialog);
}

void TestMails::listsFromTheThreeFiles()
{
    writeSources();
    open();
    click("cmd_gener");

    QCOMPARE(m_shell.started.size(), 1);
    QCOMPARE(m_shell.started[0].line, QStringLiteral("cmd.exe /c del /s/q f:\\mailinglistes"));
    QCOMPARE(m_shell.started[0].style, WindowStyle::Minimized);
    QVERIFY(m_shell.started[0].waited);

    QCOMPARE(list(QStringLiteral("TS8mail.txt")),
        crlf({at(u"TS8DUPONT-LAJ"_s), at(u"TS8MARTINPaul"_s), at(u"TS8DUPONT-LAJ"_s)}));
    // Accented letters are written in the 1252 code page, as everywhere else.
    QCOMPARE(list(QStringLiteral("2Amail.txt")),
        QByteArray("2ALEFEVRE, d@") + Mails::kMailDomain.latin1()
            + "\r\n2AH\xc9LO\xcfSEL\xe9"
              "a@"
            + Mails::kMailDomain.latin1() + "\r\n");
    QCOMPARE(list(QStringLiteral("mail.txt")), crlf({at(u"SANSClasse"_s)}));
    // The account list is split at commas like every file: a login holding one gives two lines.
    QCOMPARE(list(QStringLiteral("eleves.txt")),
        crlf({at(u"TS8MARTINPaul"_s), at(u"2ALEFEVRE"_s), at(u"d"_s), at(u"TS8MARTINPaul"_s)}));
    QCOMPARE(list(QStringLiteral("profs.txt")), crlf({at(u"DURANDAnne"_s), at(u"LEFEBVRECh"_s)}));

    QCOMPARE(m_prompts.messages(), QStringList {QStringLiteral("Listes crées avec succes.")});
    QTRY_VERIFY(!m_dialog);
}

void TestMails::generatingTwiceGivesTheSameLists()
{
    m_folder->installPrograms();
    QVERIFY2(m_folder->exists(QStringLiteral("cmd")), "the interpreter is built into the program folder");
    ProcessShell real(m_folder->paths());
    m_shellSwitch.switchTo(real);
    writeSources();
    m_folder->writeFile(QStringLiteral("drives/f/mailinglistes/ancien/vieux.txt"), "x\r\n");

    open();
    click("cmd_gener");
    const QStringList first = QDir(listFolder()).entryList(QDir::Files, QDir::Name);
    const QByteArray ts8 = list(QStringLiteral("TS8mail.txt"));
    const QByteArray eleves = list(QStringLiteral("eleves.txt"));
    QCOMPARE(first, (QStringList {u"2Amail.txt"_s, u"TS8mail.txt"_s, u"eleves.txt"_s, u"mail.txt"_s, u"profs.txt"_s}));
    // Everything the folder held is gone, in subfolders too; the folders stay.
    QVERIFY(!QFile::exists(listFolder() + QStringLiteral("/ancien/vieux.txt")));
    QVERIFY(QFileInfo(listFolder() + QStringLiteral("/ancien")).isDir());
    QTRY_VERIFY(!m_dialog);

    open();
    click("cmd_gener");
    QCOMPARE(QDir(listFolder()).entryList(QDir::Files, QDir::Name), first);
    QCOMPARE(list(QStringLiteral("TS8mail.txt")), ts8);
    QCOMPARE(list(QStringLiteral("eleves.txt")), eleves);
    QCOMPARE(m_prompts.messages(), QStringList(2, QStringLiteral("Listes crées avec succes.")));
}

void TestMails::refusesDriveRootOrEmptyFolder_data()
{
    QTest::addColumn<QString>("folder");
    QTest::newRow("empty") << "";
    QTest::newRow("spaces") << "   ";
    QTest::newRow("drive") << "f:";
    QTest::newRow("drive root") << "F:\\";
    QTest::newRow("climbing back to the root") << "f:\\mailinglistes\\..";
    QTest::newRow("machine root") << "/";
}

void TestMails::refusesDriveRootOrEmptyFolder()
{
    QFETCH(QString, folder);
    writeSources();
    m_folder->writeFile(QStringLiteral("drives/f/garder.txt"), "x");
    open()->findChild<QLineEdit *>(QStringLiteral("txt_maildir"))->setText(folder);
    click("cmd_gener");

    QVERIFY(m_shell.started.isEmpty());
    QCOMPARE(m_prompts.messages(),
        QStringList {QStringLiteral("Le répertoire des listes de diffusion doit être un dossier, pas la racine d'un "
                                    "lecteur : rien n'a été effacé ni écrit.")});
    QCOMPARE(QDir(m_folder->drive(QStringLiteral("F"))).entryList(QDir::Files), QStringList {u"garder.txt"_s});
    QVERIFY(m_dialog);
    QCOMPARE(m_dialog->findChild<QPushButton *>(QStringLiteral("cmd_gener"))->text(), QStringLiteral("Générer"));
}

void TestMails::missingListFolderWritesNothing()
{
    writeSources();
    open()->findChild<QLineEdit *>(QStringLiteral("txt_maildir"))->setText(QStringLiteral("f:\\absent"));
    click("cmd_gener");

    QVERIFY(m_shell.started.isEmpty());
    QVERIFY(!QFileInfo::exists(m_folder->drive(QStringLiteral("F")) + QStringLiteral("/absent")));
    QCOMPARE(m_prompts.messages(),
        QStringList {QStringLiteral("Le répertoire des listes de diffusion f:\\absent n'existe pas : aucune liste "
                                    "n'a été écrite.")});
    QVERIFY(m_dialog);
}

void TestMails::missingSourcesAreNamed_data()
{
    QTest::addColumn<QString>("missing");
    QTest::addColumn<QStringList>("lists");
    QTest::addColumn<QString>("message");
    // clang-format off
    QTest::newRow("pupil file") << "drives/c/orvo/orvoconv.txt" << QStringList {u"eleves.txt"_s, u"profs.txt"_s} << "Listes crées avec succes.\rFichier Orvo converti introuvable : C:\\orvo\\orvoconv.txt (aucune liste de classe n'a été écrite).";
    QTest::newRow("account list") << "utilisateurs.txt" << QStringList {u"2Amail.txt"_s, u"TS8mail.txt"_s, u"mail.txt"_s, u"profs.txt"_s} << "Listes crées avec succes.\rListe des comptes « utilisateurs.txt » introuvable dans le dossier du programme (eleves.txt n'a pas été écrit).";
    QTest::newRow("teacher list") << "profsliste.txt" << QStringList {u"2Amail.txt"_s, u"TS8mail.txt"_s, u"eleves.txt"_s, u"mail.txt"_s} << "Listes crées avec succes.\rListe des professeurs « profsliste.txt » introuvable dans le dossier du programme (profs.txt n'a pas été écrit).";
    // clang-format on
}

void TestMails::missingSourcesAreNamed()
{
    QFETCH(QString, missing);
    QFETCH(QStringList, lists);
    QFETCH(QString, message);
    writeSources();
    QVERIFY(QFile::remove(m_folder->path() + u'/' + missing));
    open();
    click("cmd_gener");
    QCOMPARE(QDir(listFolder()).entryList(QDir::Files, QDir::Name), lists);
    QCOMPARE(m_prompts.messages(), QStringList {message});
}

void TestMails::unwritableListIsReported()
{
    // With nothing found at all, the message does not claim that lists were made.
    open()->findChild<QLineEdit *>(QStringLiteral("txt_orvo"))->clear();
    click("cmd_gener");
    QCOMPARE(m_prompts.messages(),
        QStringList {QStringLiteral("Aucune liste n'a été écrite : aucune adresse n'a été trouvée.\r"
                                    "Aucun fichier Orvo converti n'est indiqué : aucune liste de classe n'a été "
                                    "écrite.\r"
                                    "Liste des comptes « utilisateurs.txt » introuvable dans le dossier du "
                                    "programme (eleves.txt n'a pas été écrit).\r"
                                    "Liste des professeurs « profsliste.txt » introuvable dans le dossier du "
                                    "programme (profs.txt n'a pas été écrit).")});

    // A folder standing where a list goes: that list cannot be written, the others are.
    m_prompts.clear();
    QTRY_VERIFY(!m_dialog);
    writeSources();
    QDir().mkpath(listFolder() + QStringLiteral("/eleves.txt"));
    open();
    click("cmd_gener");
    QCOMPARE(m_prompts.messages(),
        QStringList {QStringLiteral("Les listes n'ont pas pu être toutes écrites :\r"
                                    "Impossible d'écrire f:\\mailinglistes/eleves.txt.")});
    QCOMPARE(list(QStringLiteral("profs.txt")), crlf({at(u"DURANDAnne"_s), at(u"LEFEBVRECh"_s)}));
    // The dialog stays open so that the folder can be put right.
    QVERIFY(m_dialog);
}

void TestMails::classThatCannotNameAFile()
{
    // A class whose list would be a file Windows cannot name is left out; one that names no folder
    // but can name a file gets its list.
    m_folder->writeFile(QStringLiteral("drives/c/orvo/orvoconv.txt"),
        "A,B,..\\..\\x\r\nC,D,TS8\r\nE,F,..\\..\\x\r\nG,H,a/b\r\nI,J,A:B\r\nK,L,A&B\r\n");
    open();
    click("cmd_gener");
    QCOMPARE(QDir(listFolder()).entryList(QDir::Files), (QStringList {u"A&Bmail.txt"_s, u"TS8mail.txt"_s}));
    QVERIFY(QDir(m_folder->drive(QStringLiteral("F"))).entryList(QDir::Files).isEmpty());
    QCOMPARE(m_prompts.messages().value(0).split(u'\r').mid(0, 4),
        (QStringList {u"Listes crées avec succes."_s,
            u"Classe « ..\\..\\x » ignorée : son nom ne peut pas servir de nom de fichier (2 élève(s))."_s,
            u"Classe « a/b » ignorée : son nom ne peut pas servir de nom de fichier (1 élève(s))."_s,
            u"Classe « A:B » ignorée : son nom ne peut pas servir de nom de fichier (1 élève(s))."_s}));
}

void TestMails::emptyingThatCannotStartWritesNothing()
{
    writeSources();
    m_shell.refusedPrefixes << QStringLiteral("cmd.exe");
    open();
    click("cmd_gener");
    QVERIFY(QDir(listFolder()).entryList(QDir::Files).isEmpty());
    QCOMPARE(m_prompts.messages(),
        QStringList {QStringLiteral("Le répertoire des listes de diffusion f:\\mailinglistes n'a pas pu être vidé : "
                                    "aucune liste n'a été écrite.\rImpossible de lancer : cmd.exe /c del /s/q "
                                    "f:\\mailinglistes")});
    QVERIFY(m_dialog);
}

void TestMails::cancelDoesNothing()
{
    writeSources();
    open();
    click("cmd_ennul");
    QTRY_VERIFY(!m_dialog);
    QVERIFY(m_shell.started.isEmpty());
    QVERIFY(m_prompts.shown.isEmpty());
    QVERIFY(QDir(listFolder()).entryList(QDir::Files).isEmpty());
}

QTEST_MAIN(TestMails)
#include "tst_mails.moc"
