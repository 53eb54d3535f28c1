#include "tools/maillists.h"

#include <QTest>

using namespace Qt::StringLiterals;

// The distribution lists worked out from the three sources, before anything is written.
class TestMailLists : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void build_data();
    void build();
};

// A null array stands for a source that could not be read; an empty one for an empty file.
static std::optional<QByteArray> source(const QByteArray &bytes)
{
    return bytes.isNull() ? std::nullopt : std::optional<QByteArray>(bytes);
}

void TestMailLists::build_data()
{
    QTest::addColumn<QString>("pupilFile");
    QTest::addColumn<QByteArray>("pupils");
    QTest::addColumn<QByteArray>("accounts");
    QTest::addColumn<QByteArray>("teachers");
    // Each list as "path: login login", the mail domain left out.
    QTest::addColumn<QStringList>("lists");
    QTest::addColumn<QStringList>("notes");

    const QString orvo = u"C:\\orvo\\orvoconv.txt"_s;
    const QString noAccounts = u"Liste des comptes « utilisateurs.txt » introuvable dans le dossier du programme "
                               u"(eleves.txt n'a pas été écrit)."_s;
    const QString noTeachers = u"Liste des professeurs « profsliste.txt » introuvable dans le dossier du programme "
                               u"(profs.txt n'a pas été écrit)."_s;
    // clang-format off
    QTest::newRow("lists in the order first read, class letter case aside")
        << orvo << "MARTIN,Paul,TS8\r\nLEA,Zoe,2A\r\nDURAND,Luc,ts8\r\n"_ba << "TS8MARTINPaul\r\n"_ba << "DURANDAnne\r\n"_ba
        << QStringList {u"f:\\l/TS8mail.txt: TS8MARTINPaul ts8DURANDLuc"_s, u"f:\\l/2Amail.txt: 2ALEAZoe"_s, u"f:\\l/eleves.txt: TS8MARTINPaul"_s, u"f:\\l/profs.txt: DURANDAnne"_s}
        << QStringList {};
    QTest::newRow("a record of blank lines and empty logins give no address")
        << orvo << "MARTIN,Paul,TS8\r\n\r\n\r\n\r\n"_ba << "\r\n,\r\nX\r\n"_ba << ""_ba
        << QStringList {u"f:\\l/TS8mail.txt: TS8MARTINPaul"_s, u"f:\\l/eleves.txt: X"_s}
        << QStringList {};
    QTest::newRow("pupil without a class")
        << orvo << "SANS,Classe,\r\n"_ba << ""_ba << ""_ba
        << QStringList {u"f:\\l/mail.txt: SANSClasse"_s}
        << QStringList {};
    QTest::newRow("class that cannot name a file")
        << orvo << "A,B,..\\x\r\nC,D,a/b\r\nE,F,..\\x\r\nG,H,2A\r\n"_ba << ""_ba << ""_ba
        << QStringList {u"f:\\l/2Amail.txt: 2AGH"_s}
        << QStringList {u"Classe « ..\\x » ignorée : son nom ne peut pas servir de nom de fichier (2 élève(s))."_s, u"Classe « a/b » ignorée : son nom ne peut pas servir de nom de fichier (1 élève(s))."_s};
    QTest::newRow("no pupil file named")
        << u"  "_s << "MARTIN,Paul,TS8\r\n"_ba << ""_ba << ""_ba
        << QStringList {}
        << QStringList {u"Aucun fichier Orvo converti n'est indiqué : aucune liste de classe n'a été écrite."_s};
    QTest::newRow("unreadable sources")
        << orvo << QByteArray() << QByteArray() << QByteArray()
        << QStringList {}
        << QStringList {u"Fichier Orvo converti introuvable : C:\\orvo\\orvoconv.txt (aucune liste de classe n'a été écrite)."_s, noAccounts, noTeachers};
    // clang-format on
}

void TestMailLists::build()
{
    QFETCH(QString, pupilFile);
    QFETCH(QByteArray, pupils);
    QFETCH(QByteArray, accounts);
    QFETCH(QByteArray, teachers);
    QFETCH(QStringList, lists);
    QFETCH(QStringList, notes);

    const MailLists built
        = MailLists::build({u"f:\\l"_s, pupilFile, source(pupils), source(accounts), source(teachers)});
    QStringList shown;
    const QString domain = u'@' + MailLists::kMailDomain;
    for (const MailLists::File &file : built.files) {
        QStringList logins;
        for (const QString &line : file.lines) {
            QVERIFY2(line.endsWith(domain), qPrintable(line));
            logins << line.chopped(domain.size());
        }
        shown << file.path + u": "_s + logins.join(u' ');
    }
    QCOMPARE(shown, lists);
    QCOMPARE(built.notes, notes);
}

QTEST_MAIN(TestMailLists)
#include "tst_maillists.moc"
