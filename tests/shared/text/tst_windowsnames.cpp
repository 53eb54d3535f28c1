#include "text/windowsnames.h"

#include <QTest>

// The naming rules of the Windows side: one table for the three rules a name may have to meet, one
// for each login rule. The callers' own tests keep one case each, to show which rule they apply.
class TestWindowsNames : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void names_data();
    void names();
    void pupil_data();
    void pupil();
    void teacher_data();
    void teacher();
};

void TestWindowsNames::names_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("fileName");
    QTest::addColumn<bool>("folderName");
    QTest::addColumn<bool>("commandWord");

    // clang-format off
    QTest::newRow("class") << "TS8" << true << true << true;
    QTest::newRow("login with apostrophe") << "TS8O'NEILSean" << true << true << true;
    QTest::newRow("accents") << "Lefèvreélo" << true << true << true;
    QTest::newRow("single dot inside") << "T.S8" << true << true << true;
    QTest::newRow("hyphen") << "TERMINALE-S" << true << true << true;
    QTest::newRow("space inside") << "TS 1" << true << true << false;
    QTest::newRow("spaces and accents") << "2nde é 1" << true << true << false;
    QTest::newRow("tab") << "TS8\t" << false << false << false;
    QTest::newRow("control character") << "TS8\x01" << false << false << false;
    QTest::newRow("ampersand") << "A&B" << true << false << false;
    QTest::newRow("command separator") << "TS8 & del" << true << false << false;
    QTest::newRow("caret") << "TS8^" << true << false << false;
    QTest::newRow("expansion") << "TS8%PATH%" << true << false << false;
    QTest::newRow("two dots inside") << "TS8..x" << true << false << false;
    QTest::newRow("exclamation mark") << "TS8!" << true << true << false;
    QTest::newRow("parentheses") << "TS8(a)" << true << true << false;
    QTest::newRow("equals") << "a=b" << true << true << false;
    QTest::newRow("semicolon") << "a;b" << true << true << false;
    QTest::newRow("comma") << "a,b" << true << true << false;
    QTest::newRow("pipe") << "TS8|x" << false << false << false;
    QTest::newRow("redirection") << "TS8>x" << false << false << false;
    QTest::newRow("input redirection") << "TS8<x" << false << false << false;
    QTest::newRow("quote") << "TS8\"" << false << false << false;
    QTest::newRow("slash") << "TS8/x" << false << false << false;
    QTest::newRow("backslash") << "TS8\\x" << false << false << false;
    QTest::newRow("climbing with backslash") << "..\\..\\Windows" << false << false << false;
    QTest::newRow("colon") << "A:B" << false << false << false;
    QTest::newRow("star") << "TS*" << false << false << false;
    QTest::newRow("question mark") << "TS?" << false << false << false;
    QTest::newRow("trailing dot") << "TS8." << false << false << false;
    QTest::newRow("trailing space") << "TS8 " << false << false << false;
    QTest::newRow("empty") << "" << false << false << false;
    QTest::newRow("dot") << "." << false << false << false;
    QTest::newRow("parent") << ".." << false << false << false;
    QTest::newRow("dots and spaces only") << ". ." << false << false << false;
    QTest::newRow("blank") << "  " << false << false << false;
    // clang-format on
}

void TestWindowsNames::names()
{
    QFETCH(QString, name);
    QFETCH(bool, fileName);
    QFETCH(bool, folderName);
    QFETCH(bool, commandWord);
    QCOMPARE(WindowsNames::isFileName(name), fileName);
    QCOMPARE(WindowsNames::isFolderName(name), folderName);
    QCOMPARE(WindowsNames::isCommandWord(name), commandWord);
}

void TestWindowsNames::pupil_data()
{
    QTest::addColumn<QString>("surname");
    QTest::addColumn<QString>("firstNames");
    QTest::addColumn<QString>("cls");
    QTest::addColumn<QString>("login");
    QTest::newRow("short names kept whole") << "MARTIN"
                                            << "Paul"
                                            << "TS8"
                                            << "TS8MARTINPaul";
    QTest::newRow("cut to ten") << "DUPONT-LAJOIE"
                                << "Jean-Pierre"
                                << "TS8"
                                << "TS8DUPONT-LAJ";
    QTest::newRow("exactly ten") << "ABCDEF"
                                 << "Ghij"
                                 << "2A"
                                 << "2AABCDEFGhij";
    QTest::newRow("eleven cut") << "ABCDEF"
                                << "Ghijk"
                                << "2A"
                                << "2AABCDEFGhij";
    QTest::newRow("class never cut") << "LÉA"
                                     << "Zoé"
                                     << "TERMINALE-S2"
                                     << "TERMINALE-S2LÉAZoé";
    QTest::newRow("spaces and apostrophes stay") << "D'ARC DE"
                                                 << "Jeanne"
                                                 << "1L"
                                                 << "1LD'ARC DEJe";
    QTest::newRow("no class") << "MARTIN"
                              << "Paul"
                              << ""
                              << "MARTINPaul";
    // clang-format off
    QTest::newRow("short names whole") << "LI" << "Bo" << "TS8" << "TS8LIBo";
    QTest::newRow("accents counted as one") << "LÉVÊQUE" << "Zoé-Anaïs" << "TS8" << "TS8LÉVÊQUEZoé";
    QTest::newRow("empty names") << "" << "" << "TS8" << "TS8";
    QTest::newRow("nine kept whole") << "ABCDE" << "FGHI" << "TS8" << "TS8ABCDEFGHI";
    QTest::newRow("accents and case kept") << "Éloïse" << "Zoé" << "TS8" << "TS8ÉloïseZoé";
    QTest::newRow("class kept as typed, spaces and case") << "MARTIN" << "Paul" << "1ere sti 2" << "1ere sti 2MARTINPaul";
    QTest::newRow("spaces and apostrophe, spaced class") << "DE L'ISLE" << "Anne Marie" << "2nde a" << "2nde aDE L'ISLEA";
    // clang-format on
}

void TestWindowsNames::pupil()
{
    QFETCH(QString, surname);
    QFETCH(QString, firstNames);
    QFETCH(QString, cls);
    QFETCH(QString, login);
    QCOMPARE(WindowsNames::pupilLogin(surname, firstNames, cls), login);
}

void TestWindowsNames::teacher_data()
{
    QTest::addColumn<QString>("surname");
    QTest::addColumn<QString>("firstName");
    QTest::addColumn<QString>("login");
    QTest::newRow("whole") << "DURAND"
                           << "Anne"
                           << "DURANDAnne";
    QTest::newRow("cut") << "LEFEBVRE"
                         << "Christophe"
                         << "LEFEBVRECh";
    QTest::newRow("empty") << ""
                           << ""
                           << "";
    // clang-format off
    QTest::newRow("exactly ten") << "ABCDEF" << "GHIJ" << "ABCDEFGHIJ";
    QTest::newRow("eleven cut") << "ABCDEF" << "GHIJK" << "ABCDEFGHIJ";
    QTest::newRow("case and accents kept") << "Lefèvre" << "élodie" << "Lefèvreélo";
    // clang-format on
}

void TestWindowsNames::teacher()
{
    QFETCH(QString, surname);
    QFETCH(QString, firstName);
    QFETCH(QString, login);
    QCOMPARE(WindowsNames::teacherLogin(surname, firstName), login);
}

QTEST_APPLESS_MAIN(TestWindowsNames)
#include "tst_windowsnames.moc"
