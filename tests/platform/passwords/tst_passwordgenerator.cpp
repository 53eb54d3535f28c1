#include "passwords/passwordgenerator.h"

#include <QSet>
#include <QTest>

class TestPasswordGenerator : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void lengths_data();
    void lengths();
    void alphabetOnlyAndEveryCharacterDrawn();
    void seededSequences();
    void unseededRunsDiffer();
};

void TestPasswordGenerator::lengths_data()
{
    QTest::addColumn<int>("length");
    QTest::addColumn<int>("expected");
    QTest::newRow("six") << 6 << 6;
    QTest::newRow("one") << 1 << 1;
    QTest::newRow("zero") << 0 << 0;
    QTest::newRow("negative") << -3 << 0;
    QTest::newRow("short max") << 32767 << 32767;
}

void TestPasswordGenerator::lengths()
{
    QFETCH(int, length);
    QFETCH(int, expected);
    PasswordGenerator generator(1);
    QCOMPARE(generator.getpass(length).size(), expected);
}

void TestPasswordGenerator::alphabetOnlyAndEveryCharacterDrawn()
{
    const QString alphabet = QString::fromLatin1(PasswordGenerator::kAlphabet);
    QCOMPARE(alphabet.size(), 35);
    PasswordGenerator generator;
    QHash<QChar, int> counts;
    const int draws = 35 * 2000;
    for (const QChar c : generator.getpass(draws))
        ++counts[c];
    QCOMPARE(counts.size(), 35);
    QVERIFY(!counts.contains(u'0'));
    for (auto it = counts.cbegin(); it != counts.cend(); ++it) {
        QVERIFY2(alphabet.contains(it.key()), qPrintable(QString(it.key())));
        // 2000 expected per character; six standard deviations either way.
        QVERIFY2(qAbs(it.value() - 2000) < 6 * 44, qPrintable(QStringLiteral("%1: %2").arg(it.key()).arg(it.value())));
    }
}

void TestPasswordGenerator::seededSequences()
{
    PasswordGenerator a(42);
    PasswordGenerator b(42);
    PasswordGenerator c(43);
    const QStringList first {a.getpass(6), a.getpass(6), a.getpass(6)};
    QCOMPARE((QStringList {b.getpass(6), b.getpass(6), b.getpass(6)}), first);
    QVERIFY(c.getpass(18) != first.join(QString()));
    // One sequence: calls continue it, and reseeding with the seed starts it again.
    QCOMPARE(PasswordGenerator(42).getpass(18), first.join(QString()));
    a.reseed();
    QCOMPARE(a.getpass(6), first.first());
}

void TestPasswordGenerator::unseededRunsDiffer()
{
    PasswordGenerator a;
    PasswordGenerator b;
    QVERIFY(a.getpass(24) != b.getpass(24));
}

QTEST_GUILESS_MAIN(TestPasswordGenerator)
#include "tst_passwordgenerator.moc"
