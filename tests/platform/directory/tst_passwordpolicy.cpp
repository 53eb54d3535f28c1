// What a password policy admits of the passwords Velmar generates, and how it is told.
#include "directory/passwordpolicy.h"

#include <QTest>

using namespace Qt::StringLiterals;

class TestPasswordPolicy : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void admits_data();
    void admits();
    void byHand();
};

void TestPasswordPolicy::admits_data()
{
    QTest::addColumn<int>("minimumLength");
    QTest::addColumn<bool>("complexity");
    QTest::addColumn<int>("length");
    QTest::addColumn<QString>("alphabet");
    QTest::addColumn<bool>("admitted");
    QTest::addColumn<QString>("demands");

    const QString pupils = u"abcdefghijklmnopqrstuvwxyz123456789"_s;
    const QString complex = u"au moins 7 caractères et des caractères de trois sortes parmi majuscules, minuscules, "
                            "chiffres et symboles"_s;
    QTest::newRow("no rule") << 0 << false << 6 << pupils << true << "aucune longueur ni sorte de caractères";
    QTest::newRow("the pupils' own") << 6 << false << 6 << pupils << true << "au moins 6 caractères";
    QTest::newRow("one character short") << 7 << false << 6 << pupils << false << "au moins 7 caractères";
    QTest::newRow("samba-tool's default") << 7 << true << 6 << pupils << false << complex;
    QTest::newRow("complexity, two kinds only") << 0 << true << 12 << pupils << false
                                                << "des caractères de trois sortes parmi majuscules, minuscules, "
                                                   "chiffres et symboles";
    QTest::newRow("complexity, three kinds") << 7 << true << 8 << "aB1" << true << complex;
    QTest::newRow("complexity, too short for three kinds") << 0 << true << 2 << "aB1-" << false
                                                           << "des caractères de trois sortes parmi majuscules, "
                                                              "minuscules, chiffres et symboles";
}

void TestPasswordPolicy::admits()
{
    QFETCH(int, minimumLength);
    QFETCH(bool, complexity);
    QFETCH(int, length);
    QFETCH(QString, alphabet);
    QFETCH(bool, admitted);
    QFETCH(QString, demands);
    PasswordPolicy policy;
    policy.source = PasswordPolicy::Source::Domain;
    policy.minimumLength = minimumLength;
    policy.complexity = complexity;
    QCOMPARE(policy.admits(length, alphabet), admitted);
    QCOMPARE(policy.demands(), demands);
}

void TestPasswordPolicy::byHand()
{
    PasswordPolicy pupils;
    pupils.minimumLength = 6;
    QCOMPARE(groupPolicyByHand(u"eleves"_s, pupils),
        QStringLiteral("samba-tool domain passwordsettings pso create velmar-eleves 10 --min-pwd-length=6 "
                       "--complexity=off --history-length=0 --min-pwd-age=0 --max-pwd-age=0\r"
                       "samba-tool domain passwordsettings pso apply velmar-eleves eleves"));
}

QTEST_MAIN(TestPasswordPolicy)
#include "tst_passwordpolicy.moc"
