#include "directory/logins.h"

#include <QTest>

// The login rule shared by the account creation and the mailing lists: its one table of cases. The
// dialogs' own tests keep one case each, to show that they use it.
class TestLogins : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void pupil_data();
    void pupil();
    void teacher_data();
    void teacher();
};

void TestLogins::pupil_data()
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
    QTest::newRow("nine kept whole") << "ABCDE" << "FGHI" << "TS8" << "TS8ABCDEFGHI";
    QTest::newRow("accents and case kept") << "Éloïse" << "Zoé" << "TS8" << "TS8ÉloïseZoé";
    QTest::newRow("class kept as typed, spaces and case") << "MARTIN" << "Paul" << "1ere sti 2" << "1ere sti 2MARTINPaul";
    QTest::newRow("spaces and apostrophe, spaced class") << "DE L'ISLE" << "Anne Marie" << "2nde a" << "2nde aDE L'ISLEA";
    // clang-format on
}

void TestLogins::pupil()
{
    QFETCH(QString, surname);
    QFETCH(QString, firstNames);
    QFETCH(QString, cls);
    QFETCH(QString, login);
    QCOMPARE(Logins::pupilLogin(surname, firstNames, cls), login);
}

void TestLogins::teacher_data()
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

void TestLogins::teacher()
{
    QFETCH(QString, surname);
    QFETCH(QString, firstName);
    QFETCH(QString, login);
    QCOMPARE(Logins::teacherLogin(surname, firstName), login);
}

QTEST_APPLESS_MAIN(TestLogins)
#include "tst_logins.moc"
