#include "provisioning/pupilnaming.h"

#include <QTest>

class TestPupilNaming : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void login_data();
    void login();
    void folderName_data();
    void folderName();
    void paths();
};

void TestPupilNaming::login_data()
{
    QTest::addColumn<QString>("className");
    QTest::addColumn<QString>("surname");
    QTest::addColumn<QString>("firstNames");
    QTest::addColumn<QString>("expected");

    QTest::newRow("ten characters kept whole") << "TS8"
                                               << "MARTIN"
                                               << "Paul"
                                               << "TS8MARTINPaul";
    QTest::newRow("hyphens, cut to ten") << "TS8"
                                         << "DUPONT-LAJOIE"
                                         << "Jean-Pierre"
                                         << "TS8DUPONT-LAJ";
    QTest::newRow("eleven cut to ten") << "1S2"
                                       << "ABCDEFGHIJ"
                                       << "K"
                                       << "1S2ABCDEFGHIJ";
    QTest::newRow("short names whole") << "TS8"
                                       << "LI"
                                       << "Bo"
                                       << "TS8LIBo";
    QTest::newRow("accents kept and counted as one") << "TS8"
                                                     << "LÉVÊQUE"
                                                     << "Zoé-Anaïs"
                                                     << "TS8LÉVÊQUEZoé";
    QTest::newRow("spaces and apostrophes kept") << "2nde a"
                                                 << "DE L'ISLE"
                                                 << "Anne Marie"
                                                 << "2nde aDE L'ISLEA";
    QTest::newRow("class never cut") << "Terminale S 8"
                                     << "NG"
                                     << "Lan"
                                     << "Terminale S 8NGLan";
    QTest::newRow("empty names") << "TS8"
                                 << ""
                                 << ""
                                 << "TS8";
}

void TestPupilNaming::login()
{
    QFETCH(QString, className);
    QFETCH(QString, surname);
    QFETCH(QString, firstNames);
    QFETCH(QString, expected);
    QCOMPARE(PupilNaming::login(className, surname, firstNames), expected);
}

void TestPupilNaming::folderName_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<bool>("accepted");

    QTest::newRow("class") << "TS8" << true;
    QTest::newRow("spaces and accents") << "2nde é 1" << true;
    QTest::newRow("login with apostrophe") << "TS8O'NEILSean" << true;
    QTest::newRow("single dot inside") << "T.S8" << true;
    QTest::newRow("parent") << ".." << false;
    QTest::newRow("climbing with backslash") << "..\\..\\Windows" << false;
    QTest::newRow("two dots inside") << "TS8..x" << false;
    QTest::newRow("slash") << "TS8/x" << false;
    QTest::newRow("backslash") << "TS8\\x" << false;
    QTest::newRow("command separator") << "TS8 & del" << false;
    QTest::newRow("pipe") << "TS8|x" << false;
    QTest::newRow("redirection") << "TS8>x" << false;
    QTest::newRow("expansion") << "TS8%PATH%" << false;
    QTest::newRow("quote") << "TS8\"" << false;
    QTest::newRow("caret") << "TS8^" << false;
    QTest::newRow("control character") << "TS8\t" << false;
    QTest::newRow("empty") << "" << false;
    QTest::newRow("dot") << "." << false;
    QTest::newRow("dots and spaces only") << ". ." << false;
    QTest::newRow("blank") << "  " << false;
}

void TestPupilNaming::folderName()
{
    QFETCH(QString, value);
    QFETCH(bool, accepted);
    QCOMPARE(PupilNaming::isFolderName(value), accepted);
}

void TestPupilNaming::paths()
{
    QCOMPARE(PupilNaming::personalFolder(
                 QStringLiteral("E:\\Perso"), QStringLiteral("TS8"), QStringLiteral("TS8MARTINPaul")),
        QStringLiteral("E:\\Perso\\eleves\\TS8\\TS8MARTINPaul"));
    QCOMPARE(PupilNaming::homeDirectory(QStringLiteral("SERVEUR1"), QStringLiteral("TS8MARTINPaul")),
        QStringLiteral("\\\\SERVEUR1\\TS8MARTINPaul$"));
}

QTEST_GUILESS_MAIN(TestPupilNaming)
#include "tst_pupilnaming.moc"
