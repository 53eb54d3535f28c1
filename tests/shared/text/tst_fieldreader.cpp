#include "text/cp1252.h"
#include "text/fieldreader.h"
#include "text/textwriter.h"

#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

class TestFieldReader : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void fields_data();
    void fields();
    void records_data();
    void records();
    void lines();
    void cp1252RoundTrip_data();
    void cp1252RoundTrip();
    void everyByteSurvives();
    void writing();
    void csvLines_data();
    void csvLines();
    void missingFile();
};

void TestFieldReader::fields_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("expected");

    // clang-format off
    QTest::newRow("commas and CR LF") << QByteArray("a,b\r\nc\r\n") << QStringList{u"a"_s, u"b"_s, u"c"_s};
    QTest::newRow("LF only") << QByteArray("a,b\nc\n") << QStringList{u"a"_s, u"b"_s, u"c"_s};
    QTest::newRow("lone CR") << QByteArray("a\rb") << QStringList{u"a"_s, u"b"_s};
    QTest::newRow("no final line end") << QByteArray("a,b") << QStringList{u"a"_s, u"b"_s};
    QTest::newRow("leading spaces skipped, trailing kept") << QByteArray("  a ,   b\r\n") << QStringList{u"a "_s, u"b"_s};
    QTest::newRow("quotes hold a comma") << QByteArray("\"DUPONT, Jr\",Jean\r\n") << QStringList{u"DUPONT, Jr"_s, u"Jean"_s};
    QTest::newRow("text after closing quote dropped") << QByteArray("\"ab\"cd,e\r\n") << QStringList{u"ab"_s, u"e"_s};
    QTest::newRow("unclosed quote runs to the end") << QByteArray("\"ab,c\r\n") << QStringList{u"ab,c\r\n"_s};
    QTest::newRow("blank line is one empty field") << QByteArray("a\r\n\r\nb\r\n") << QStringList{u"a"_s, u""_s, u"b"_s};
    QTest::newRow("empty field between commas") << QByteArray("a,,b\r\n") << QStringList{u"a"_s, u""_s, u"b"_s};
    QTest::newRow("comma before line end") << QByteArray("a,\r\nb\r\n") << QStringList{u"a"_s, u""_s, u"b"_s};
    QTest::newRow("empty file") << QByteArray() << QStringList{};
    QTest::newRow("just a line end") << QByteArray("\r\n") << QStringList{u""_s};
    QTest::newRow("spaces then line end") << QByteArray("   \r\n") << QStringList{u""_s};
    QTest::newRow("number as written") << QByteArray(" 2 \r\n") << QStringList{u"2 "_s};
    QTest::newRow("1252 letters") << QByteArray("\xc9l\xe8ve,\x8c""uvre\r\n") << QStringList{u"Élève"_s, u"Œuvre"_s};
    // clang-format on
}

void TestFieldReader::fields()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, expected);
    FieldReader reader(bytes);
    QStringList read;
    while (!reader.atEnd())
        read << reader.field();
    QCOMPARE(read, expected);
}

void TestFieldReader::records_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("width");
    QTest::addColumn<QList<QStringList>>("expected");

    // clang-format off
    QTest::newRow("one record a line") << QByteArray("DUPONT,Jean,TS8\r\nMARTIN,Paul,1S2\r\n") << 3 << QList<QStringList>{{u"DUPONT"_s, u"Jean"_s, u"TS8"_s}, {u"MARTIN"_s, u"Paul"_s, u"1S2"_s}};
    QTest::newRow("record spans lines") << QByteArray("DUPONT,Jean\r\nTS8,MARTIN\r\nPaul,1S2\r\n") << 3 << QList<QStringList>{{u"DUPONT"_s, u"Jean"_s, u"TS8"_s}, {u"MARTIN"_s, u"Paul"_s, u"1S2"_s}};
    QTest::newRow("short last record padded") << QByteArray("a,b,c\r\nd\r\n") << 3 << QList<QStringList>{{u"a"_s, u"b"_s, u"c"_s}, {u"d"_s, u""_s, u""_s}};
    QTest::newRow("pairs, last one wins in readers") << QByteArray("ECOLE\r\nSRV\r\nAUTRE\r\nSRV2\r\n") << 2 << QList<QStringList>{{u"ECOLE"_s, u"SRV"_s}, {u"AUTRE"_s, u"SRV2"_s}};
    QTest::newRow("quoted comma keeps the record whole") << QByteArray("\"DE LA TOUR, DIT X\",Anne,TS8\r\nB,C,1S2\r\n") << 3 << QList<QStringList>{{u"DE LA TOUR, DIT X"_s, u"Anne"_s, u"TS8"_s}, {u"B"_s, u"C"_s, u"1S2"_s}};
    // clang-format on
}

void TestFieldReader::records()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, width);
    QFETCH(QList<QStringList>, expected);
    FieldReader reader(bytes);
    QList<QStringList> read;
    while (!reader.atEnd())
        read << reader.record(width);
    QCOMPARE(read, expected);
}

void TestFieldReader::lines()
{
    FieldReader reader(QByteArray("a, \"b\",c\r\n\r\nlast\nend"));
    QStringList read;
    while (!reader.atEnd())
        read << reader.line();
    QCOMPARE(read, (QStringList {u"a, \"b\",c"_s, u""_s, u"last"_s, u"end"_s}));
}

void TestFieldReader::cp1252RoundTrip_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("é") << QStringLiteral("é") << QByteArray("\xe9");
    QTest::newRow("È") << QStringLiteral("È") << QByteArray("\xc8");
    QTest::newRow("œ") << QStringLiteral("œ") << QByteArray("\x9c");
    QTest::newRow("Œ") << QStringLiteral("Œ") << QByteArray("\x8c");
    QTest::newRow("€") << QStringLiteral("€") << QByteArray("\x80");
    QTest::newRow("’") << QStringLiteral("’") << QByteArray("\x92");
    QTest::newRow("ascii") << QStringLiteral("TS8,1S2") << QByteArray("TS8,1S2");
}

void TestFieldReader::cp1252RoundTrip()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    QCOMPARE(Cp1252::encode(text), bytes);
    QCOMPARE(Cp1252::decode(bytes), text);
}

void TestFieldReader::everyByteSurvives()
{
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all.append(static_cast<char>(b));
    QCOMPARE(Cp1252::encode(Cp1252::decode(all)), all);
    // Outside the code page: one '?' per character, a pair of surrogates included.
    QCOMPARE(Cp1252::encode(QStringLiteral("a\u4e2db\U0001F600c")), QByteArray("a?b?c"));
}

void TestFieldReader::writing()
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("out.txt"));
    TextWriter writer;
    QVERIFY(writer.open(file, TextWriter::Mode::Create).ok());
    writer.writeLine(QStringLiteral("Élève,TS8"));
    writer.writeNumberLine(2);
    QVERIFY(writer.close().ok());
    QVERIFY(appendLines(file, {QStringLiteral("fin")}).ok());
    QFile read(file);
    QVERIFY(read.open(QIODevice::ReadOnly));
    QCOMPARE(read.readAll(), QByteArray("\xc9l\xe8ve,TS8\r\n 2 \r\nfin\r\n"));

    QVERIFY(replaceFile(file, {QStringLiteral("neuf")}).ok());
    read.close();
    QVERIFY(read.open(QIODevice::ReadOnly));
    QCOMPARE(read.readAll(), QByteArray("neuf\r\n"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList {u"out.txt"_s});
}

void TestFieldReader::csvLines_data()
{
    QTest::addColumn<QStringList>("fields");
    QTest::addColumn<QString>("line");

    QTest::newRow("plain") << QStringList {u"12"_s, u"TS8MARTINPaul"_s, u"MARTIN"_s} << "12,TS8MARTINPaul,MARTIN";
    QTest::newRow("empty fields") << QStringList {u""_s, u"a"_s, u""_s} << ",a,";
    QTest::newRow("comma quoted") << QStringList {u"DUPONT, Jr"_s, u"b"_s} << "\"DUPONT, Jr\",b";
    QTest::newRow("quote doubled") << QStringList {u"Jean \"Jo\""_s, u"b"_s} << "\"Jean \"\"Jo\"\"\",b";
    QTest::newRow("semicolon and spaces kept") << QStringList {u"a; b"_s, u" c "_s} << "a; b, c ";
    QTest::newRow("line end quoted") << QStringList {u"a\r\nb"_s} << "\"a\r\nb\"";
}

void TestFieldReader::csvLines()
{
    QFETCH(QStringList, fields);
    QFETCH(QString, line);
    QCOMPARE(csvLine(fields), line);
}

void TestFieldReader::missingFile()
{
    const auto reader = FieldReader::open(QStringLiteral("/nonexistent/parametres.txt"));
    QVERIFY(!reader.ok());
    QVERIFY(reader.message().contains(QStringLiteral("/nonexistent/parametres.txt")));
    QVERIFY(!replaceFile(QStringLiteral("/nonexistent/x.txt"), {QStringLiteral("a")}).ok());
}

QTEST_GUILESS_MAIN(TestFieldReader)
#include "tst_fieldreader.moc"
