#include "converter/fieldscanner.h"
#include "text/cp1252.h"
#include "text/fieldreader.h"

#include <QRandomGenerator>
#include <QTest>

// The converter reads the export straight from its bytes; every field must come out as the shared
// field stream gives it, or Velmar and trivo would disagree on a file.
class TestFieldScanner : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void sameFieldsAsTheFieldStream_data();
    void sameFieldsAsTheFieldStream();
};

void TestFieldScanner::sameFieldsAsTheFieldStream_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("plain lines") << QByteArray("DUPONT,Jean,1S1\r\nMARTIN,Léa,TS8\r\n");
    QTest::newRow("quoted comma") << QByteArray("\"DUPONT, Jr\",Jean,1S1\r\n");
    QTest::newRow("text after closing quote") << QByteArray("\"A\"xyz,B\r\n");
    QTest::newRow("unclosed quote") << QByteArray("A,\"B,C\r\nD");
    QTest::newRow("leading spaces") << QByteArray("   A,  \"  B\",C  \r\n");
    QTest::newRow("blank lines and lone CR") << QByteArray("A\r\n\r\nB\rC\nD\n\r");
    QTest::newRow("no final line end") << QByteArray("A,B,C");
    QTest::newRow("1252 bytes") << QByteArray("\xC9LODIE,\x8C"
                                              "UVRE,\x80\r\n");

    // Random mixes of the bytes that matter, with a fixed seed.
    QRandomGenerator random(1252);
    const QByteArray alphabet("ab ,\"\r\n\xE9\x9C");
    for (int row = 0; row < 400; ++row) {
        QByteArray bytes;
        const int length = random.bounded(24);
        for (int i = 0; i < length; ++i)
            bytes.append(alphabet[random.bounded(alphabet.size())]);
        QTest::newRow(qPrintable(QStringLiteral("random %1").arg(row))) << bytes;
    }
}

void TestFieldScanner::sameFieldsAsTheFieldStream()
{
    QFETCH(QByteArray, bytes);
    FieldReader reader(bytes);
    FieldScanner scanner(bytes);
    while (!reader.atEnd()) {
        QVERIFY(!scanner.atEnd());
        QCOMPARE(Cp1252::decode(scanner.field().toByteArray()), reader.field());
    }
    QVERIFY(scanner.atEnd());
}

QTEST_GUILESS_MAIN(TestFieldScanner)
#include "tst_fieldscanner.moc"
