#include "journal/journalfile.h"
#include "provisioning/accountsheet.h"
#include "provisioning/bulkaccounts.h"
#include "provisioning/provisioningpanel.h"
#include "provisioningfixture.h"
#include "support/policydirectory.h"
#include "support/unreachabledirectory.h"
#include "text/cp1252.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

// Passes every call on to the store, and writes down each batch of accounts asked for: the logins,
// and how many shares were started and pupils counted done when it was asked.
class BatchingDirectory : public ForwardingDirectory
{
public:
    BatchingDirectory(Directory &store, const ProbingShell &shell, const int &done)
        : ForwardingDirectory(store)
        , m_shell(shell)
        , m_done(done)
    {
    }

    QStringList batches;

    QList<AccountReport> makeAccounts(const QString &serverName, const QList<NewAccount> &accounts) override
    {
        QStringList logins;
        for (const NewAccount &account : accounts)
            logins << account.login;
        batches << QStringLiteral("%1 after %2 shares, %3 done")
                       .arg(logins.join(u' '))
                       .arg(m_shell.started.size())
                       .arg(m_done);
        return Directory::makeAccounts(serverName, accounts);
    }

private:
    const ProbingShell &m_shell;
    const int &m_done;
};

struct SheetRow
{
    QString login, password, surname, firstNames, className;
};

QString cellText(const QString &line)
{
    if (!line.startsWith(QStringLiteral("<td>")) || !line.endsWith(QStringLiteral("</td>")))
        return QStringLiteral("?") + line;
    return line.mid(4, line.size() - 9);
}

} // namespace

// Step 3, "Créer les utilisateurs et droits", on the embedded store after step 1 made the groups and
// folders of the same pupil file.
class TestBulkAccounts : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void logins_data();
    void logins();
    void sheetAndListSizes_data();
    void sheetAndListSizes();
    void captionsBarAndFilesWhileRunning();
    void existingLogin();
    void classWithoutGroup();
    void valuesAreHtmlText();
    void sheetReadableByItsOwnerOnly();
    void loginLeavingItsFolder();
    void unreadablePupilFile();
    void sheetThatCannotBeWritten();
    void listThatCannotBeWritten();
    void moreThan32767Records();
    void passwordRefusedByTheDomain();
    void domainThatRefusesGeneratedPasswords_data();
    void domainThatRefusesGeneratedPasswords();
    void secondRunOnTheSameFile();
    void stoppedRunGoesOn();
    void stoppedRunNotTakenUp_data();
    void stoppedRunNotTakenUp();
    void handoutsPerClass();
    void pupilsMadeInBatches();

private:
    std::unique_ptr<PanelFixture> f;
    ProvisioningPanel *p = nullptr;

    void writePupils(const QStringList &lines);
    // Step 1 on the same file, then a clean record of what step 3 alone does.
    void prepareGroups();
    QList<SheetRow> sheetRows();
    QString prog(const QString &rest) const { return f->folder.path() + rest; }
    bool hasPassword(const QString &login, const QString &password) { return f->hasPassword(login, password); }
};

void TestBulkAccounts::init()
{
    f = std::make_unique<PanelFixture>();
    p = f->panel;
}

void TestBulkAccounts::cleanup()
{
    f.reset();
}

void TestBulkAccounts::writePupils(const QStringList &lines)
{
    f->write(QStringLiteral("C:\\ORVO.txt"), pupilFileBytes(lines));
}

void TestBulkAccounts::prepareGroups()
{
    p->check1->click();
    p->check3->click();
    p->cmdCreergrp->click();
    f->shell.started.clear();
    f->prompts.clear();
}

QList<SheetRow> TestBulkAccounts::sheetRows()
{
    const QStringList lines = f->lines(QStringLiteral("C:\\comptes.html"));
    QList<SheetRow> rows;
    for (qsizetype i = 16; i + 6 < lines.size() - 4; i += 7)
        rows.append({cellText(lines[i + 1]), cellText(lines[i + 2]), cellText(lines[i + 3]), cellText(lines[i + 4]),
            cellText(lines[i + 5])});
    return rows;
}

void TestBulkAccounts::logins_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("login");
    QTest::addColumn<QString>("className");

    // The rule's cases are in its own table; this one shows that bulk creation applies it, to a class
    // name with a space that the folders and the logon script take as it is.
    QTest::newRow("spaces and apostrophe") << "DE L'ISLE,Anne Marie,2nde a"
                                           << "2nde aDE L'ISLEA"
                                           << "2nde a";
}

void TestBulkAccounts::logins()
{
    QFETCH(QString, line);
    QFETCH(QString, login);
    QFETCH(QString, className);
    writePupils({line});
    prepareGroups();
    p->cmdCreerutil->click();

    const QStringList fields = line.split(u',');
    const QString user = f->ads(u'/' + login);
    QVERIFY2(f->exists(user + QStringLiteral(",user")), qPrintable(login));
    QCOMPARE(f->property(user, DirProperty::FullName).toString(), fields[0] + u' ' + fields[1]);
    QCOMPARE(
        f->property(user, DirProperty::Description).toString(), QStringLiteral("membre de la classe : ") + className);
    QCOMPARE(f->property(user, DirProperty::HomeDirectory).toString(), QStringLiteral("\\\\SERVEUR1\\") + login + u'$');
    QCOMPARE(f->property(user, DirProperty::LoginScript).toString(), className + QStringLiteral(".bat"));
    QVERIFY(f->memberNames(f->ads(u'/' + className + QStringLiteral(",group"))).contains(login));
    QVERIFY(f->memberNames(f->ads(QStringLiteral("/eleves,group"))).contains(login));

    const QString folder = QStringLiteral("E:\\Perso\\eleves\\") + className + u'\\' + login;
    QVERIFY(f->folderExists(folder));
    QCOMPARE(f->shell.lines(), QStringList {prog(QStringLiteral("\\perso.bat ")) + folder + u' ' + login});
    QVERIFY(f->shell.started[0].style == WindowStyle::Minimized && !f->shell.started[0].waited);

    QCOMPARE(f->lines(QStringLiteral("utilisateurs.txt")), QStringList {login});
    const QList<SheetRow> rows = sheetRows();
    QCOMPARE(rows.size(), 1);
    QCOMPARE(rows[0].login, login);
    QCOMPARE(rows[0].surname, fields[0]);
    QCOMPARE(rows[0].firstNames, fields[1]);
    QCOMPARE(rows[0].className, className);
    QCOMPARE(rows[0].password.size(), 6);
    QVERIFY(hasPassword(login, rows[0].password));
    QVERIFY(!hasPassword(login, QStringLiteral("zzzzzz")));
}

void TestBulkAccounts::sheetAndListSizes_data()
{
    QTest::addColumn<int>("pupils");
    QTest::newRow("empty file") << 0;
    QTest::newRow("one pupil") << 1;
    QTest::newRow("three pupils") << 3;
}

void TestBulkAccounts::sheetAndListSizes()
{
    QFETCH(int, pupils);
    QStringList lines;
    for (int i = 0; i < pupils; ++i)
        lines << QStringLiteral("NOM%1,Prenom,TS8").arg(i);
    writePupils(lines);
    prepareGroups();
    f->folder.writeFile(QStringLiteral("utilisateurs.txt"), "ANCIEN\r\n");
    p->cmdCreerutil->click();

    const QStringList sheet = f->lines(QStringLiteral("C:\\comptes.html"));
    QCOMPARE(sheet.size(), pupils == 0 ? 19 : 15 + 1 + 7 * pupils + 4);
    QCOMPARE(sheet.mid(0, 15), AccountSheet::headerLines());
    QCOMPARE(sheet.mid(sheet.size() - 4), AccountSheet::closingLines());
    if (pupils > 0)
        QCOMPARE(sheet[15], QString());
    QVERIFY(f->read(QStringLiteral("C:\\comptes.html")).endsWith("</html>\r\n"));
    QCOMPARE(f->lines(QStringLiteral("utilisateurs.txt")).size(), 1 + pupils);
    QCOMPARE(p->bar1->maximum(), qMax(pupils, 1));
    QCOMPARE(p->bar1->value(), 0);
    QVERIFY(p->bar1->isVisible() || !p->bar1->isHidden());
    QCOMPARE(f->prompts.shown.size(), 1);
    QCOMPARE(f->prompts.shown[0].kind, QStringLiteral("message"));
    QCOMPARE(f->prompts.shown[0].title, QString());
    QCOMPARE(f->prompts.shown[0].text,
        QStringLiteral("La création de %1 utilisateurs est achevée.\r"
                       "Veuillez consulter le fichier C:\\comptes.html")
            .arg(pupils));
    QCOMPARE(f->users().size(), pupils);
}

void TestBulkAccounts::captionsBarAndFilesWhileRunning()
{
    writePupils({QStringLiteral("A,Un,TS8"), QStringLiteral("B,Deux,TS8"), QStringLiteral("C,Trois,TS8")});
    prepareGroups();
    struct Seen
    {
        QString caption;
        bool barShown;
        int listLines, sheetLines;
    };
    QList<Seen> seen;
    f->shell.onStart = [&](const QString &) {
        seen.append(
            {p->cmdCreerutil->text(), !p->bar1->isHidden(), int(f->lines(QStringLiteral("utilisateurs.txt")).size()),
                int(f->lines(QStringLiteral("C:\\comptes.html")).size())});
    };
    QString captionAtMessage;
    f->prompts.onMessage = [&](const QString &) { captionAtMessage = p->cmdCreerutil->text(); };
    p->cmdCreerutil->click();

    QCOMPARE(seen.size(), 3);
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(seen[i].caption, QStringLiteral("En cours ..."));
        QVERIFY(seen[i].barShown);
        // Each earlier pupil is complete on disk in both files when the next one is handled.
        QCOMPARE(seen[i].listLines, i);
        QCOMPARE(seen[i].sheetLines, i == 0 ? 15 : 16 + 7 * i);
    }
    QCOMPARE(p->bar1->maximum(), 3);
    QCOMPARE(captionAtMessage, QStringLiteral("En cours ..."));
    QCOMPARE(p->cmdCreerutil->text(), QStringLiteral("Créer les utilisateurs et droits"));
    QCOMPARE(p->bar1->value(), 0);
    QVERIFY(!p->bar1->isHidden());
}

void TestBulkAccounts::existingLogin()
{
    // Two pupils whose names agree in their first ten characters, then a second run.
    writePupils({QStringLiteral("BERNARDINI,Marc,TS8"), QStringLiteral("BERNARDINI,Marie,TS8")});
    prepareGroups();
    p->cmdCreerutil->click();

    QList<SheetRow> rows = sheetRows();
    QCOMPARE(rows.size(), 2);
    QCOMPARE(rows[0].login, QStringLiteral("TS8BERNARDINI"));
    QCOMPARE(rows[1].login, QStringLiteral("TS8BERNARDINI"));
    QVERIFY(hasPassword(rows[0].login, rows[0].password));
    QCOMPARE(rows[1].password, QStringLiteral("compte non créé"));
    QCOMPARE(rows[1].firstNames, QStringLiteral("Marie"));
    QCOMPARE(f->users(), QStringList {QStringLiteral("TS8BERNARDINI")});
    QCOMPARE(f->property(f->ads(QStringLiteral("/TS8BERNARDINI")), DirProperty::FullName).toString(),
        QStringLiteral("BERNARDINI Marc"));
    QCOMPARE(f->lines(QStringLiteral("utilisateurs.txt")).size(), 2);
    // Marie's login was Marc's account, made by this run: hers was not made, and the message says so.
    QCOMPARE(f->prompts.messages().value(0),
        QStringLiteral("La création de 2 utilisateurs est achevée.\rVeuillez consulter le fichier C:\\comptes.html"
                       "\rAttention : 1 comptes n'ont pas été créés."));

    // A second run: every login names an account made before it, so no row shows a password.
    const QString first = rows[0].password;
    f->prompts.clear();
    p->cmdCreerutil->click();
    rows = sheetRows();
    QCOMPARE(rows.size(), 2);
    for (const SheetRow &row : rows)
        QCOMPARE(row.password, QStringLiteral("compte déjà existant"));
    QVERIFY(f->prompts.messages().value(0).endsWith(QStringLiteral("\rAttention : 2 comptes n'ont pas été créés.")));
    QVERIFY(hasPassword(QStringLiteral("TS8BERNARDINI"), first));
    QCOMPARE(f->lines(QStringLiteral("utilisateurs.txt")).size(), 4);
}

void TestBulkAccounts::classWithoutGroup()
{
    writePupils({QStringLiteral("MARTIN,Paul,TS8")});
    prepareGroups();
    writePupils({QStringLiteral("MARTIN,Paul,TS9")});
    p->cmdCreerutil->click();

    QVERIFY(f->exists(f->ads(QStringLiteral("/TS9MARTINPaul,user"))));
    QCOMPARE(f->memberNames(f->ads(QStringLiteral("/eleves,group"))), QStringList {QStringLiteral("TS9MARTINPaul")});
    QVERIFY(!f->exists(f->ads(QStringLiteral("/TS9,group"))));
    // No class folder, so no personal folder; the script is started all the same.
    QVERIFY(!f->folderExists(QStringLiteral("E:\\Perso\\eleves\\TS9")));
    QCOMPARE(f->shell.started.size(), 1);
    QVERIFY(hasPassword(QStringLiteral("TS9MARTINPaul"), sheetRows().value(0).password));
}

void TestBulkAccounts::valuesAreHtmlText()
{
    writePupils({QStringLiteral("DURAND & FILS,Léa,TS8"), QStringLiteral("<b>X</b>,<script>,TS8")});
    prepareGroups();
    p->cmdCreerutil->click();

    const QStringList sheet = f->lines(QStringLiteral("C:\\comptes.html"));
    QCOMPARE(sheet.mid(16, 7),
        (QStringList {QStringLiteral("<tr>"), QStringLiteral("<td>TS8DURAND &amp; F</td>"), sheet[18],
            QStringLiteral("<td>DURAND &amp; FILS</td>"), QStringLiteral("<td>Léa</td>"),
            QStringLiteral("<td>TS8</td>"), QStringLiteral("</tr>")}));
    QVERIFY(hasPassword(QStringLiteral("TS8DURAND & F"), cellText(sheet[18])));
    // The store refuses "<" in a name: the row is there, escaped, and says no account was made.
    QCOMPARE(sheet.mid(23, 7),
        (QStringList {QStringLiteral("<tr>"), QStringLiteral("<td>TS8&lt;b&gt;X&lt;/b&gt;&lt;s</td>"),
            QStringLiteral("<td>compte non créé</td>"), QStringLiteral("<td>&lt;b&gt;X&lt;/b&gt;</td>"),
            QStringLiteral("<td>&lt;script&gt;</td>"), QStringLiteral("<td>TS8</td>"), QStringLiteral("</tr>")}));
    // Written in the ANSI code page, as every file.
    QVERIFY(f->read(QStringLiteral("C:\\comptes.html")).contains("<td>L\xe9\x61</td>"));
}

void TestBulkAccounts::sheetReadableByItsOwnerOnly()
{
    writePupils({QStringLiteral("MARTIN,Paul,TS8")});
    prepareGroups();
    const QString sheet = f->host(QStringLiteral("C:\\comptes.html"));
    f->write(QStringLiteral("C:\\comptes.html"), "ancienne feuille");
    QFile::setPermissions(sheet, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
    const QFile::Permissions others = QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup | QFile::ReadOther
        | QFile::WriteOther | QFile::ExeOther;
    p->cmdCreerutil->click();
    QCOMPARE(QFile::permissions(sheet) & others, QFile::Permissions());
    QVERIFY(QFile::permissions(sheet) & QFile::ReadOwner);
    QVERIFY(f->read(QStringLiteral("C:\\comptes.html")).contains("TS8MARTINPaul"));

    QFile::remove(sheet);
    p->cmdCreerutil->click();
    QCOMPARE(QFile::permissions(sheet) & others, QFile::Permissions());
}

void TestBulkAccounts::loginLeavingItsFolder()
{
    // A surname that would climb out of the class folder, a class that would climb out of eleves, and
    // a login ending in a space, which Windows would drop from the folder's name.
    writePupils({QStringLiteral("..\\..\\..,x,TS8"), QStringLiteral("MARTIN,Paul,..\\profs"),
        QStringLiteral("PETIT,Luc,TS8"), QStringLiteral("DURAND,\"Léo \",TS8")});
    prepareGroups();
    p->cmdCreerutil->click();

    // Only the sound pupil gets a folder and a share.
    QCOMPARE(f->shell.lines(),
        QStringList {prog(QStringLiteral("\\perso.bat E:\\Perso\\eleves\\TS8\\TS8PETITLuc TS8PETITLuc"))});
    QCOMPARE(QDir(f->host(QStringLiteral("E:\\Perso\\eleves\\TS8"))).entryList(QDir::Dirs | QDir::NoDotAndDotDot),
        QStringList {QStringLiteral("TS8PETITLuc")});
    QVERIFY(QDir(f->host(QStringLiteral("E:\\Perso\\profs"))).isEmpty());
    QCOMPARE(QDir(f->host(QStringLiteral("E:\\Perso"))).entryList(QDir::Dirs | QDir::NoDotAndDotDot),
        (QStringList {QStringLiteral("eleves"), QStringLiteral("profs")}));
    // Every record still has its row and its line, and the count.
    QCOMPARE(sheetRows().size(), 4);
    QCOMPARE(f->lines(QStringLiteral("utilisateurs.txt")).size(), 4);
    QVERIFY(f->prompts.messages().value(0).startsWith(QStringLiteral("La création de 4 utilisateurs")));
}

void TestBulkAccounts::unreadablePupilFile()
{
    f->write(QStringLiteral("C:\\comptes.html"), "feuille du dernier passage");
    f->folder.writeFile(QStringLiteral("utilisateurs.txt"), "ANCIEN\r\n");
    p->txtOrvo->setText(QStringLiteral("C:\\absent.txt"));
    p->cmdCreerutil->click();

    QCOMPARE(f->prompts.messages(),
        QStringList {QStringLiteral("Impossible de lire le fichier des élèves convertis : C:\\absent.txt.\r"
                                    "Aucun compte n'a été créé.")});
    // The last sheet, with its passwords, is kept; nothing else changed.
    QCOMPARE(f->read(QStringLiteral("C:\\comptes.html")), QByteArray("feuille du dernier passage"));
    QCOMPARE(f->folder.readFile(QStringLiteral("utilisateurs.txt")), QByteArray("ANCIEN\r\n"));
    QVERIFY(f->users().isEmpty());
    QVERIFY(f->shell.started.isEmpty());
    QCOMPARE(p->cmdCreerutil->text(), QStringLiteral("Créer les utilisateurs et droits"));
}

void TestBulkAccounts::sheetThatCannotBeWritten()
{
    // The sheet's place is a folder: the passwords would be written nowhere, so no account is made.
    writePupils({QStringLiteral("MARTIN,Paul,TS8")});
    prepareGroups();
    QDir().mkpath(f->host(QStringLiteral("C:\\comptes.html")));
    p->cmdCreerutil->click();
    QVERIFY(f->users().isEmpty());
    QVERIFY(f->shell.started.isEmpty());
    QCOMPARE(f->prompts.messages().size(), 1);
    QVERIFY(f->prompts.messages()[0].contains(QStringLiteral("C:\\comptes.html")));
    QVERIFY(f->prompts.messages()[0].contains(QStringLiteral("Aucun compte n'a été créé.")));
}

void TestBulkAccounts::listThatCannotBeWritten()
{
    // The account list's place is a folder: the accounts are made, and the final message names those
    // that the year-end removal would miss.
    writePupils({QStringLiteral("MARTIN,Paul,TS8"), QStringLiteral("DURAND,Lea,TS8")});
    prepareGroups();
    QDir().mkpath(f->folder.path() + QStringLiteral("/utilisateurs.txt"));
    p->cmdCreerutil->click();

    QCOMPARE(f->users(), QStringList({QStringLiteral("TS8DURANDLea"), QStringLiteral("TS8MARTINPaul")}));
    QCOMPARE(f->prompts.messages().size(), 1);
    const QString text = f->prompts.messages().first();
    const QString head = QStringLiteral("La création de 2 utilisateurs est achevée.\rVeuillez consulter le fichier "
                                        "C:\\comptes.html\rLes comptes TS8MARTINPaul, TS8DURANDLea n'ont pas été "
                                        "ajoutés à la liste des comptes : ");
    QVERIFY2(text.startsWith(head) && text.size() > head.size(), qPrintable(text));
}

void TestBulkAccounts::moreThan32767Records()
{
    f = std::make_unique<PanelFixture>(std::make_unique<UnreachableDirectory>());
    p = f->panel;
    const int pupils = 32767 + 233;
    QByteArray bytes;
    bytes.reserve(pupils * 20);
    for (int i = 0; i < pupils; ++i)
        bytes += "NOM" + QByteArray::number(i) + ",P,TS8\r\n";
    f->write(QStringLiteral("C:\\ORVO.txt"), bytes);
    p->cmdCreerutil->click();

    QCOMPARE(f->lines(QStringLiteral("C:\\comptes.html")).size(), 15 + 1 + 7 * pupils + 4);
    QCOMPARE(f->lines(QStringLiteral("utilisateurs.txt")).size(), pupils);
    QCOMPARE(f->lines(QStringLiteral("utilisateurs.txt")).last(), QStringLiteral("TS8NOM%1P").arg(pupils - 1));
    // The directory made no account: no personal folder is shared for an account that is not there.
    QCOMPARE(f->shell.started.size(), 0);
    QCOMPARE(p->bar1->maximum(), pupils);
    QVERIFY(f->prompts.messages().value(0).startsWith(QStringLiteral("La création de 33000 utilisateurs")));
}

void TestBulkAccounts::passwordRefusedByTheDomain()
{
    PolicyDirectory domain(*f->directory);
    f->directorySwitch.switchTo(domain);
    writePupils({QStringLiteral("MARTIN,Paul,TS8"), QStringLiteral("DURAND,Léa,TS8")});
    prepareGroups();
    domain.refusePasswords = true;
    for (const char *login : {"TS8MARTINPaul", "TS8DURANDLéa"})
        QTest::ignoreMessage(QtWarningMsg,
            qPrintable(QStringLiteral("%1 : Le mot de passe de « %1 » est refusé par la stratégie du domaine "
                                      "(0000052D: the password is too short).")
                           .arg(QString::fromUtf8(login))));
    p->cmdCreerutil->click();

    // The accounts are made, in their groups, without the drawn password: the sheet says so.
    const QList<SheetRow> rows = sheetRows();
    QCOMPARE(rows.size(), 2);
    for (const SheetRow &row : rows) {
        QCOMPARE(row.password, QStringLiteral("mot de passe refusé par le domaine"));
        QVERIFY(f->exists(f->ads(u'/' + row.login + QStringLiteral(",user"))));
        QVERIFY(f->memberNames(f->ads(QStringLiteral("/eleves,group"))).contains(row.login));
        QVERIFY(f->memberNames(f->ads(QStringLiteral("/TS8,group"))).contains(row.login));
        QCOMPARE(f->property(f->ads(u'/' + row.login), DirProperty::LoginScript).toString(), QStringLiteral("TS8.bat"));
        QVERIFY(hasPassword(row.login, QString()));
    }
    QCOMPARE(f->lines(QStringLiteral("utilisateurs.txt")).size(), 2);
    QCOMPARE(f->prompts.messages(),
        QStringList {QStringLiteral(
            "La création de 2 utilisateurs est achevée.\rVeuillez consulter le fichier C:\\comptes.html")});
}

void TestBulkAccounts::domainThatRefusesGeneratedPasswords_data()
{
    // The policy the members of eleves meet: its minimum length and complexity, and where it comes
    // from (a group policy's name, or the domain's); or why it cannot be read.
    QTest::addColumn<int>("minimumLength");
    QTest::addColumn<bool>("complexity");
    QTest::addColumn<QString>("groupPolicy");
    QTest::addColumn<QString>("unreadable");
    QTest::addColumn<QStringList>("said");

    // clang-format off
    QTest::newRow("the domain's") << 7 << true << QString() << QString() << QStringList {u"la stratégie de mots de passe du domaine"_s, u"au moins 7 caractères et des caractères de trois sortes"_s};
    QTest::newRow("a group's, too long") << 8 << false << "velmar-eleves" << QString() << QStringList {u"la stratégie de mots de passe « velmar-eleves »"_s, u"demande au moins 8 caractères :"_s};
    QTest::newRow("unreadable") << 0 << false << QString() << "« eleves » est introuvable dans l'annuaire." << QStringList {u"n'a pas pu être lue : « eleves » est introuvable"_s};
    // clang-format on
}

void TestBulkAccounts::domainThatRefusesGeneratedPasswords()
{
    QFETCH(int, minimumLength);
    QFETCH(bool, complexity);
    QFETCH(QString, groupPolicy);
    QFETCH(QString, unreadable);
    QFETCH(QStringList, said);
    PolicyDirectory domain(*f->directory);
    f->directorySwitch.switchTo(domain);
    writePupils({QStringLiteral("MARTIN,Paul,TS8")});
    prepareGroups();
    PasswordPolicy policy;
    policy.source = groupPolicy.isEmpty() ? PasswordPolicy::Source::Domain : PasswordPolicy::Source::Group;
    policy.name = groupPolicy;
    policy.minimumLength = minimumLength;
    policy.complexity = complexity;
    domain.memberPolicy
        = unreadable.isEmpty() ? Result<PasswordPolicy>(policy) : Result<PasswordPolicy>::failure(unreadable);
    p->cmdCreerutil->click();

    // One message says what the domain demands and how to give the pupils their own policy.
    const QStringList shown = f->prompts.messages();
    QCOMPARE(shown.size(), 1);
    said << u"Aucun compte n'a été créé."_s << u"L'étape 1, « Créer les groupes »,"_s
         << u"samba-tool domain passwordsettings pso create velmar-eleves 10 --min-pwd-length=6 --complexity=off "
            "--history-length=0 --min-pwd-age=0 --max-pwd-age=0\r"
            "samba-tool domain passwordsettings pso apply velmar-eleves eleves"_s;
    for (const QString &part : std::as_const(said))
        QVERIFY2(shown.first().contains(part), qPrintable(part + u'\n' + shown.first()));
    // Nothing is written.
    QCOMPARE(f->users(), QStringList());
    QVERIFY(!QFileInfo::exists(f->host(QStringLiteral("C:\\comptes.html"))));
    QVERIFY(!f->folder.exists(QStringLiteral("utilisateurs.txt")));
    QCOMPARE(f->shell.started.size(), 0);
    QCOMPARE(p->cmdCreerutil->text(), QStringLiteral("Créer les utilisateurs et droits"));
}

namespace {

constexpr QFile::Permissions kOpenToOthers
    = QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup | QFile::ReadOther | QFile::WriteOther | QFile::ExeOther;

const QStringList kFivePupils {QStringLiteral("MARTIN,Paul,TS8"), QStringLiteral("DURAND,Léa,TS8"),
    QStringLiteral("PETIT,Luc,TS8"), QStringLiteral("LÉVÊQUE,Zoé,1S2"), QStringLiteral("ROUX,Ana,1S2")};
const QStringList kFiveLogins {QStringLiteral("TS8MARTINPaul"), QStringLiteral("TS8DURANDLéa"),
    QStringLiteral("TS8PETITLuc"), QStringLiteral("1S2LÉVÊQUEZoé"), QStringLiteral("1S2ROUXAna")};

// A password as a slip of the handouts shows it: digits in bold.
QString onSlip(const QString &password)
{
    QString shown;
    for (const QChar c : password)
        shown += c.isDigit() ? QStringLiteral("<b>") + c + QStringLiteral("</b>") : QString(c);
    return QStringLiteral("<span class='mdp'>") + shown + QStringLiteral("</span>");
}

// The record number of each pupil line of a creation journal, in their order.
QList<int> journalRecords(const QStringList &lines)
{
    static const QRegularExpression pupil(QStringLiteral("^(\\d+) ; "));
    QList<int> records;
    for (const QString &line : lines) {
        if (const auto match = pupil.match(line); match.hasMatch())
            records << match.captured(1).toInt();
    }
    return records;
}

} // namespace

void TestBulkAccounts::secondRunOnTheSameFile()
{
    // An administrator adds nobody and clicks again: the first sheet, the only record of its
    // passwords, is kept; the second tells the accounts exist and that none was made.
    f = std::make_unique<PanelFixture>(nullptr, true);
    p = f->panel;
    writePupils(kFivePupils.mid(0, 4));
    prepareGroups();
    QVERIFY(f->processShell->waitForIdle(60000));
    p->cmdCreerutil->click();
    const QList<SheetRow> first = sheetRows();
    QCOMPARE(first.size(), 4);
    const QByteArray firstSheet = f->read(QStringLiteral("C:\\comptes.html"));
    const QByteArray firstHandouts = f->read(QStringLiteral("C:\\comptes-classes.html"));
    QVERIFY(Cp1252::decode(firstHandouts).contains(onSlip(first[0].password)));
    f->prompts.clear();
    p->cmdCreerutil->click();
    QVERIFY(f->processShell->waitForIdle(60000));

    static const QRegularExpression keptName(QStringLiteral("^comptes(-classes)?-\\d{8}-\\d{6}\\.html$"));
    const QStringList kept = QDir(f->host(QStringLiteral("C:\\"))).entryList(QDir::Files).filter(keptName);
    QCOMPARE(kept.size(), 2);
    for (const QString &name : kept) {
        QCOMPARE(QFile::permissions(f->host(QStringLiteral("C:\\") + name)) & kOpenToOthers, QFile::Permissions());
    }
    QCOMPARE(f->read(QStringLiteral("C:\\") + kept.filter(QStringLiteral("classes")).value(0)), firstHandouts);
    QCOMPARE(f->read(QStringLiteral("C:\\") + kept.filter(QRegularExpression(QStringLiteral("^comptes-\\d"))).value(0)),
        firstSheet);
    for (const SheetRow &row : first)
        QVERIFY2(hasPassword(row.login, row.password), qPrintable(row.login));

    const QList<SheetRow> second = sheetRows();
    QCOMPARE(second.size(), 4);
    for (const SheetRow &row : second)
        QCOMPARE(row.password, QStringLiteral("compte déjà existant"));
    QCOMPARE(f->prompts.messages(),
        QStringList {QStringLiteral("La création de 4 utilisateurs est achevée.\rVeuillez consulter le fichier "
                                    "C:\\comptes.html\rAttention : 4 comptes n'ont pas été créés.")});

    // A journal per run, each whole, none with a password.
    const QStringList journals = f->journals(QStringLiteral("creation"));
    QCOMPARE(journals.size(), 2);
    for (const QString &journal : journals) {
        const QStringList lines = f->lines(journal);
        QCOMPARE(lines.value(0), QStringLiteral("Fichier des élèves : C:\\ORVO.txt"));
        QCOMPARE(
            lines.value(1), QStringLiteral("Taille : %1 octets").arg(f->read(QStringLiteral("C:\\ORVO.txt")).size()));
        QVERIFY(lines.value(2).startsWith(QStringLiteral("Somme de contrôle SHA-256 : ")));
        QCOMPARE(journalRecords(lines), (QList<int> {1, 2, 3, 4}));
        QCOMPARE(lines.last(), QStringLiteral("fin"));
    }
    QVERIFY(
        f->lines(journals[0]).filter(QStringLiteral("1 ; TS8MARTINPaul ; compte : fait ; mot de passe : fait")).size()
        == 1);
    QVERIFY(f->lines(journals[1]).filter(QStringLiteral("1 ; TS8MARTINPaul ; compte : déjà existant")).size() == 1);
    QCOMPARE(QFile::permissions(f->host(journals[0])) & kOpenToOthers, QFile::Permissions());
    QCOMPARE(f->sheetPasswords().size(), 4);
    f->checkNoPasswordInJournals(f->sheetPasswords());
}

void TestBulkAccounts::stoppedRunGoesOn()
{
    f = std::make_unique<PanelFixture>(nullptr, true);
    p = f->panel;
    writePupils(kFivePupils);
    prepareGroups();
    QVERIFY(f->processShell->waitForIdle(60000));
    // Killed after the third pupil's account was made, before its row; the journal's last line was
    // being written.
    QVERIFY(f->runStoppedAt(kFiveLogins[2]));
    QVERIFY(f->processShell->waitForIdle(60000));
    const QStringList journals = f->journals(QStringLiteral("creation"));
    QCOMPARE(journals.size(), 1);
    QByteArray journal = f->read(journals[0]);
    f->write(journals[0], journal.left(journal.size() - 6));
    QCOMPARE(AccountSheet::read(f->host(QStringLiteral("C:\\comptes.html"))).value().size(), 2);

    f->prompts.clear();
    f->shell.started.clear();
    int barAtStart = -1;
    f->shell.onStart = [&](const QString &) {
        if (barAtStart < 0)
            barAtStart = p->bar1->value();
    };
    p->cmdCreerutil->click();
    QVERIFY(f->processShell->waitForIdle(60000));

    QCOMPARE(f->prompts.shown.value(0).kind, QStringLiteral("yesno"));
    QCOMPARE(f->prompts.shown.value(0).title, QString());
    QCOMPARE(f->prompts.shown.value(0).text,
        QStringLiteral("La création du %1 à %2 s'est arrêtée après 2 élèves sur 5. Reprendre là où elle s'est "
                       "arrêtée ?")
            .arg(QDate::currentDate().toString(QStringLiteral("dd/MM/yyyy")),
                f->lines(journals[0]).filter(QStringLiteral("Début : ")).value(0).mid(19, 5)));
    QCOMPARE(barAtStart, 2);
    // The rest of the file, the stopped pupil's share included.
    QCOMPARE(f->shell.started.size(), 3);

    // Every pupil exactly once on the sheet, in the list and in the journal; every password opens its account.
    const QList<SheetRow> rows = sheetRows();
    QCOMPARE(rows.size(), 5);
    for (int i = 0; i < 5; ++i) {
        QCOMPARE(rows[i].login, kFiveLogins[i]);
        QVERIFY2(hasPassword(rows[i].login, rows[i].password), qPrintable(rows[i].login));
    }
    QCOMPARE(f->lines(QStringLiteral("C:\\comptes.html")).mid(15 + 1 + 7 * 5), AccountSheet::closingLines());
    QCOMPARE(f->lines(QStringLiteral("utilisateurs.txt")), kFiveLogins);
    QCOMPARE(f->journals(QStringLiteral("creation")), journals);
    const QStringList lines = f->lines(journals[0]);
    QList<int> records = journalRecords(lines);
    std::sort(records.begin(), records.end());
    QCOMPARE(records, (QList<int> {1, 2, 3, 4, 5}));
    QCOMPARE(lines.filter(QRegularExpression(QStringLiteral("^reprise : "))).size(), 1);
    QCOMPARE(lines.last(), QStringLiteral("fin"));
    QCOMPARE(QDir(f->host(QStringLiteral("C:\\"))).entryList({QStringLiteral("comptes*.html")}),
        (QStringList {QStringLiteral("comptes-classes.html"), QStringLiteral("comptes.html")}));
    // The handouts are the whole run's.
    const QString handouts = Cp1252::decode(f->read(QStringLiteral("C:\\comptes-classes.html")));
    for (const SheetRow &row : rows)
        QVERIFY2(handouts.contains(onSlip(row.password)), qPrintable(row.login));
    QCOMPARE(f->prompts.messages(),
        QStringList {QStringLiteral(
            "La création de 5 utilisateurs est achevée.\rVeuillez consulter le fichier C:\\comptes.html")});
    f->checkNoPasswordInJournals(f->sheetPasswords());

    // A run that ended is never offered again.
    f->prompts.clear();
    p->cmdCreerutil->click();
    QCOMPARE(f->prompts.shown.value(0).kind, QStringLiteral("message"));
}

void TestBulkAccounts::stoppedRunNotTakenUp_data()
{
    QTest::addColumn<bool>("fileChanged");
    QTest::newRow("file changed since") << true;
    QTest::newRow("administrator says no") << false;
}

void TestBulkAccounts::stoppedRunNotTakenUp()
{
    QFETCH(bool, fileChanged);
    writePupils(kFivePupils);
    prepareGroups();
    // Stopped in its first batch of three: the first three accounts made, the last two not.
    QVERIFY(f->runStoppedAt(kFiveLogins[2], 3));
    const QByteArray stoppedSheet = f->read(QStringLiteral("C:\\comptes.html"));
    const QStringList journals = f->journals(QStringLiteral("creation"));
    QCOMPARE(journals.size(), 1);
    const QByteArray stoppedJournal = f->read(journals[0]);
    if (fileChanged)
        writePupils(kFivePupils + QStringList {QStringLiteral("BLANC,Max,1S2")});
    else
        f->prompts.answerYesNo(false);
    f->prompts.clear();
    p->cmdCreerutil->click();

    // A new run: the stopped one's sheet kept, its accounts there before this one.
    QCOMPARE(f->prompts.shown.size(), fileChanged ? 1 : 2);
    const QList<SheetRow> rows = sheetRows();
    QCOMPARE(rows.size(), fileChanged ? 6 : 5);
    for (int i = 0; i < 3; ++i)
        QCOMPARE(rows[i].password, QStringLiteral("compte déjà existant"));
    for (int i = 3; i < rows.size(); ++i)
        QVERIFY(hasPassword(rows[i].login, rows[i].password));
    QVERIFY(f->prompts.messages().value(0).endsWith(QStringLiteral("\rAttention : 3 comptes n'ont pas été créés.")));
    const QStringList kept = QDir(f->host(QStringLiteral("C:\\"))).entryList({QStringLiteral("comptes-2*.html")});
    QCOMPARE(kept.size(), 1);
    QCOMPARE(f->read(QStringLiteral("C:\\") + kept[0]), stoppedSheet);
    // Given up, the stopped run says so; a journal of another file is left as it is.
    QCOMPARE(f->read(journals[0]),
        fileChanged ? stoppedJournal
                    : stoppedJournal
                + "abandonn\xe9"
                  "e\r\n");
    QCOMPARE(f->journals(QStringLiteral("creation")).size(), 2);

    // Neither is offered again.
    f->prompts.clear();
    p->cmdCreerutil->click();
    QCOMPARE(f->prompts.shown.value(0).kind, QStringLiteral("message"));
}

void TestBulkAccounts::handoutsPerClass()
{
    writePupils({QStringLiteral("MARTIN,Paul,TS8"), QStringLiteral("DURAND & FILS,Léa <2>,1S2"),
        QStringLiteral("PETIT,Luc,TS8"), QStringLiteral("MARTIN,Paul,TS8")});
    prepareGroups();
    p->cmdCreerutil->click();
    const QList<SheetRow> rows = sheetRows();
    const QString handouts = Cp1252::decode(f->read(QStringLiteral("C:\\comptes-classes.html")));
    QCOMPARE(
        QFile::permissions(f->host(QStringLiteral("C:\\comptes-classes.html"))) & kOpenToOthers, QFile::Permissions());

    // A page per class, in the order of the file, headed by the class and the day.
    QCOMPARE(handouts.count(QStringLiteral("<div class='classe'>")), 2);
    const qsizetype ts8 = handouts.indexOf(QStringLiteral("<h1>Classe TS8</h1>"));
    const qsizetype s12 = handouts.indexOf(QStringLiteral("<h1>Classe 1S2</h1>"));
    QVERIFY(ts8 > 0 && s12 > ts8);
    QVERIFY(handouts.contains(QDate::currentDate().toString(QStringLiteral("dd/MM/yyyy"))));
    QVERIFY(handouts.contains(QStringLiteral("page-break-after: always")));
    // A slip per pupil with a password, values as text; none for the account not made.
    QCOMPARE(handouts.count(QStringLiteral("<div class='fiche'>")), 3);
    QVERIFY(handouts.contains(QStringLiteral("Nom : DURAND &amp; FILS<")));
    QVERIFY(handouts.contains(QStringLiteral("Prénoms : Léa &lt;2&gt;<")));
    QCOMPARE(rows[3].password, QStringLiteral("compte non créé"));
    QVERIFY(!handouts.contains(QStringLiteral("compte non créé")));
    for (int i = 0; i < 3; ++i) {
        QVERIFY2(handouts.contains(onSlip(rows[i].password)), qPrintable(rows[i].password));
        // The sheet's cells hold their values as HTML text already.
        QVERIFY(handouts.contains(QStringLiteral("Identifiant : ") + rows[i].login + u'<'));
    }
}

// Batches of two over five pupils, one of them made twice: each batch's accounts are asked for
// together once the batch before is done, and each pupil's share, line, row and progress follow in
// file order with the pupil's own outcome.
void TestBulkAccounts::pupilsMadeInBatches()
{
    writePupils({QStringLiteral("MARTIN,Paul,TS8"), QStringLiteral("DURAND,Léa,TS8"), QStringLiteral("MARTIN,Paul,TS8"),
        QStringLiteral("PETIT,Luc,1S2"), QStringLiteral("BLANC,Max,1S2")});
    prepareGroups();
    int done = 0;
    BatchingDirectory batching(*f->directory, f->shell, done);
    f->directorySwitch.switchTo(batching);
    QList<int> progress;
    BulkAccounts::Progress told;
    told.handled = [&](int handled) {
        done = handled;
        progress << handled;
    };
    const int handled
        = BulkAccounts(f->services, 2)
              .run({f->main.serverName(), f->main.systemVolume(), f->main.homeRoot(), f->main.pupilFile()}, told);
    f->directorySwitch.switchTo(*f->directory);

    QCOMPARE(handled, 5);
    QCOMPARE(progress, (QList<int> {1, 2, 3, 4, 5}));
    QCOMPARE(batching.batches,
        (QStringList {QStringLiteral("TS8MARTINPaul TS8DURANDLéa after 0 shares, 0 done"),
            QStringLiteral("TS8MARTINPaul 1S2PETITLuc after 2 shares, 2 done"),
            QStringLiteral("1S2BLANCMax after 4 shares, 4 done")}));
    const QStringList logins {QStringLiteral("TS8MARTINPaul"), QStringLiteral("TS8DURANDLéa"),
        QStringLiteral("TS8MARTINPaul"), QStringLiteral("1S2PETITLuc"), QStringLiteral("1S2BLANCMax")};
    QCOMPARE(f->lines(QStringLiteral("utilisateurs.txt")), logins);
    const QList<SheetRow> rows = sheetRows();
    QCOMPARE(rows.size(), 5);
    for (int i = 0; i < 5; ++i) {
        QCOMPARE(rows[i].login, logins[i]);
        QVERIFY(f->shell.started.value(i).line.endsWith(u' ' + logins[i]));
        if (i == 2)
            QCOMPARE(rows[i].password, QStringLiteral("compte non créé"));
        else
            QVERIFY2(hasPassword(rows[i].login, rows[i].password), qPrintable(rows[i].login));
    }
    QVERIFY(f->prompts.messages().value(0).endsWith(QStringLiteral("\rAttention : 1 comptes n'ont pas été créés.")));
}

QTEST_MAIN(TestBulkAccounts)
#include "tst_bulkaccounts.moc"
