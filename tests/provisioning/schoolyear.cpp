#include "schoolyear.h"

#include "cmd/samba/sharestorefactory.h"
#include "enrolfixture.h"
#include "journal/journalfile.h"
#include "provisioning/accountsheet.h"
#include "provisioning/ajouteleve.h"
#include "provisioning/ajoutprof.h"
#include "provisioning/bulkaccounts.h"
#include "provisioning/classgroups.h"
#include "provisioning/subjectfolders.h"
#include "provisioning/suppeleves.h"
#include "provisioning/suppprof.h"
#include "shell/processshell.h"
#include "text/cp1252.h"

#include <QComboBox>
#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QLineEdit>
#include <QMap>
#include <QPushButton>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// name, in lower case -> host folder of every share the interpreter keeps for the program folder:
// its own list, or the domain controller's Samba when "annuaire.conf" names it.
QMap<QString, QString> shares(EnrolFixture &f)
{
    QMap<QString, QString> result;
    auto listed = openShareStore(f.folder.paths())->list();
    if (!listed) {
        // An unreadable list must not pass for an empty one.
        QTest::qFail(qPrintable(listed.message()), __FILE__, __LINE__);
        return result;
    }
    for (const Share &share : std::as_const(*listed))
        result.insert(share.name.toLower(), QDir::cleanPath(share.hostPath));
    return result;
}

QStringList filesBelow(const QString &hostFolder)
{
    QStringList files;
    QDirIterator it(hostFolder, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext())
        files << it.next();
    return files;
}

// The password a late pupil's message shows.
QString shownPassword(const QString &message)
{
    const QString before = QStringLiteral("MOT DE PASSE EST : ");
    const qsizetype at = message.indexOf(before);
    return at < 0 ? QString() : message.mid(at + before.size()).section(u' ', 0, 0);
}

} // namespace

void runSchoolYear(EnrolFixture &f)
{
    f.folder.installPrograms();
    QVERIFY2(f.folder.exists(QStringLiteral("cmd")), "the interpreter is built into the program folder");
    ProcessShell real(f.folder.paths());
    RecordingShell shell(&real);
    f.shellSwitch.switchTo(shell);

    // The start of the year: the three steps of the panel on a converted pupil file of two classes.
    QVERIFY(f.makeFolders(QStringLiteral("E:\\")));
    f.folder.writeFile(QStringLiteral("drives/c/ORVO.txt"), "DURAND,Lea,TS8\r\nGROS,Luc,2NDE1\r\n");
    f.folder.writeFile(QStringLiteral("div.txt"), "T08,TS8\r\n201,2NDE1\r\n");
    ClassGroups(f.services)
        .run({f.server, true, true, f.main.publicPath, f.main.subjectsPath, f.main.homePath, f.main.pupils});
    QVERIFY(real.waitForIdle(60000));
    SubjectFolders(f.services).run({true, f.main.subjectsPath, {u"Anglais"_s}});
    QVERIFY(real.waitForIdle(60000));
    f.folder.writeFile(QStringLiteral("drives/e/Matieres/Anglais/cours.txt"), "lecon\r\n");
    QVERIFY(QFileInfo::exists(f.host(QStringLiteral("E:\\Matieres\\Anglais\\cours.txt"))));
    QCOMPARE(BulkAccounts(f.services).run({f.server, f.main.volume, f.main.homePath, f.main.pupils}), 2);
    QVERIFY(real.waitForIdle(60000));
    QCOMPARE(shares(f).keys(),
        QStringList({u"2nde1"_s, u"2nde1grosluc$"_s, u"matieres"_s, u"public"_s, u"ts8"_s, u"ts8durandlea$"_s}));
    QCOMPARE(f.lines(QStringLiteral("utilisateurs.txt")), QStringList({u"TS8DURANDLea"_s, u"2NDE1GROSLuc"_s}));
    f.prompts.clear();

    // A late pupil, then one in another class.
    {
        auto *dialog = AjoutEleve::make(f.services);
        QVERIFY(dialog);
        for (const auto &[surname, firstNames, className] : {std::tuple {u"MARTIN"_s, u"Paul"_s, u"TS8"_s},
                 std::tuple {u"DUPONT-LAJOIE"_s, u"Jean-Pierre"_s, u"2NDE1"_s}}) {
            dialog->txtNom->setText(surname);
            dialog->txtPrenom->setText(firstNames);
            dialog->listSec->setEditText(className);
            QTest::mouseClick(dialog->cmdCrer, Qt::LeftButton);
        }
        delete dialog;
    }
    QVERIFY(real.waitForIdle(60000));
    QCOMPARE(f.lines(QStringLiteral("utilisateurs.txt")),
        QStringList({u"TS8DURANDLea"_s, u"2NDE1GROSLuc"_s, u"TS8MARTINPaul"_s, u"2NDE1DUPONT-LAJ"_s}));
    QVERIFY(f.membersOf(u"TS8"_s).contains(u"TS8MARTINPaul"_s));
    QVERIFY(f.membersOf(u"2NDE1"_s).contains(u"2NDE1DUPONT-LAJ"_s));
    QCOMPARE(f.membersOf(u"eleves"_s).size(), 4);
    QCOMPARE(f.property(u"TS8MARTINPaul"_s, DirProperty::HomeDirectory).toString(),
        QStringLiteral("\\\\SRVPEDA\\TS8MARTINPaul$"));
    QVERIFY(QFileInfo(f.host(QStringLiteral("E:\\Perso\\eleves\\TS8\\TS8MARTINPaul"))).isDir());
    QCOMPARE(shares(f).value(u"ts8martinpaul$"_s),
        QDir::cleanPath(f.host(QStringLiteral("E:\\Perso\\eleves\\TS8\\TS8MARTINPaul"))));
    QCOMPARE(shares(f).value(u"2nde1dupont-laj$"_s),
        QDir::cleanPath(f.host(QStringLiteral("E:\\Perso\\eleves\\2NDE1\\2NDE1DUPONT-LAJ"))));
    // Each message shows the password that opens the account.
    const QStringList shown = f.prompts.messages();
    QCOMPARE(shown.size(), 2);
    QVERIFY2(f.passwordIs(QStringLiteral("TS8MARTINPaul"), shownPassword(shown[0])), qPrintable(shown[0]));
    QVERIFY2(f.passwordIs(QStringLiteral("2NDE1DUPONT-LAJ"), shownPassword(shown[1])), qPrintable(shown[1]));

    // A teacher.
    {
        auto *dialog = AjoutProf::make(f.services);
        QVERIFY(dialog);
        dialog->txtNom->setText(QStringLiteral("LEFEBVRE"));
        dialog->txtPrenom->setText(QStringLiteral("Christophe"));
        dialog->cboMat->setEditText(QStringLiteral("Anglais"));
        QTest::mouseClick(dialog->cmdCreer, Qt::LeftButton);
        delete dialog;
    }
    QVERIFY(real.waitForIdle(60000));
    QCOMPARE(f.membersOf(u"profs"_s), QStringList {u"LEFEBVRECh"_s});
    QCOMPARE(
        f.property(u"LEFEBVRECh"_s, DirProperty::Description).toString(), QStringLiteral("Professeur de : Anglais"));
    QCOMPARE(f.lines(QStringLiteral("profsliste.txt")), QStringList {u"LEFEBVRECh"_s});
    QVERIFY(QFileInfo(f.host(QStringLiteral("E:\\Perso\\profs\\LEFEBVRECh"))).isDir());
    QCOMPARE(
        shares(f).value(u"lefebvrech$"_s), QDir::cleanPath(f.host(QStringLiteral("E:\\Perso\\profs\\LEFEBVRECh"))));

    // The teacher leaves.
    {
        auto *dialog = SuppProf::make(f.services);
        QVERIFY(dialog);
        QCOMPARE(dialog->cboProf->count(), 1);
        dialog->cboProf->setCurrentIndex(0);
        QTest::mouseClick(dialog->cmdSupp, Qt::LeftButton);
        delete dialog;
    }
    QVERIFY(real.waitForIdle(60000));
    QVERIFY(!f.exists(QStringLiteral("LEFEBVRECh")));
    QVERIFY(f.membersOf(u"profs"_s).isEmpty());
    QVERIFY(!shares(f).contains(u"lefebvrech$"_s));
    QVERIFY(!QFileInfo::exists(f.host(QStringLiteral("E:\\Perso\\profs\\LEFEBVRECh"))));
    QVERIFY(QFileInfo(f.host(QStringLiteral("E:\\Perso\\profs"))).isDir());
    QVERIFY(f.folder.exists(QStringLiteral("profsliste.txt")));
    QVERIFY(f.lines(QStringLiteral("profsliste.txt")).isEmpty());

    // End of the year.
    f.prompts.clear();
    {
        auto *dialog = SuppEleves::make(f.services);
        QVERIFY(dialog);
        QTest::mouseClick(dialog->cmdOk, Qt::LeftButton);
        delete dialog;
    }
    QVERIFY(real.waitForIdle(60000));
    QCOMPARE(f.prompts.messages(), QStringList {u"Suppression de 4 élèves effectuée"_s});
    for (const QString &pupil : {u"TS8DURANDLea"_s, u"2NDE1GROSLuc"_s, u"TS8MARTINPaul"_s, u"2NDE1DUPONT-LAJ"_s})
        QVERIFY2(!f.exists(pupil), qPrintable(pupil));
    QVERIFY(f.membersOf(u"eleves"_s).isEmpty());
    for (const QString &group : {u"eleves"_s, u"profs"_s, u"TS8"_s, u"2NDE1"_s})
        QVERIFY2(f.exists(group), qPrintable(group));
    QVERIFY2(shares(f).isEmpty(), qPrintable(QStringList(shares(f).keys()).join(u' ')));
    QVERIFY(!QFileInfo::exists(f.host(QStringLiteral("E:\\Perso\\eleves"))));
    QVERIFY(QFileInfo(f.host(QStringLiteral("E:\\Perso\\profs"))).isDir());
    QVERIFY(!QFileInfo::exists(f.host(QStringLiteral("E:\\Public"))));
    QVERIFY(QFileInfo(f.host(QStringLiteral("E:\\Matieres\\Anglais"))).isDir());
    QVERIFY(filesBelow(f.host(QStringLiteral("E:\\Matieres"))).isEmpty());
    QVERIFY(!f.folder.exists(QStringLiteral("utilisateurs.txt")));
    QVERIFY(f.folder.exists(QStringLiteral("div.txt")));

    // The journals tell the year, one line per single action, and hold none of its passwords.
    const PathResolver &paths = f.folder.paths();
    const QString journalFolder = JournalFile::folder(paths);
    const QStringList actions = JournalFile::readLines(paths, journalFolder + QStringLiteral("\\actions.txt")).value();
    const QList<QStringList> expected {{u"ajout d'un élève"_s, u"TS8MARTINPaul"_s},
        {u"ajout d'un élève"_s, u"2NDE1DUPONT-LAJ"_s}, {u"ajout d'un professeur"_s, u"LEFEBVRECh"_s},
        {u"suppression d'un professeur"_s, u"LEFEBVRECh"_s}};
    QCOMPARE(actions.size(), expected.size());
    for (int i = 0; i < actions.size(); ++i) {
        const QStringList fields = actions[i].split(QStringLiteral(" ; "));
        QCOMPARE(fields.mid(2, 2), expected[i]);
        QVERIFY2(fields.value(4) == QStringLiteral("compte : fait"), qPrintable(actions[i]));
    }
    QStringList passwords {shownPassword(shown[0]), shownPassword(shown[1])};
    const auto sheet = AccountSheet::read(f.host(f.main.volume + QStringLiteral("\\comptes.html")));
    QVERIFY2(sheet.ok(), qPrintable(sheet.message()));
    for (const AccountSheet::Row &row : *sheet)
        passwords << row.passwordCell;
    QCOMPARE(passwords.size(), 4);
    const QStringList journals = QDir(f.host(journalFolder)).entryList(QDir::Files);
    QCOMPARE(journals.size(), 3);
    for (const QString &name : journals) {
        const QString text = Cp1252::decode(f.folder.readFile(QStringLiteral("journal/") + name));
        if (name != QStringLiteral("actions.txt"))
            QVERIFY2(text.endsWith(QStringLiteral("\r\nfin\r\n")), qPrintable(name));
        for (const QString &password : std::as_const(passwords))
            QVERIFY2(!text.contains(password), qPrintable(name + u' ' + password));
    }
}
