#include "programversion.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTest>

using namespace Qt::StringLiterals;

// Both programs answer --help and --version before any window exists, and refuse what they do not know.
class TestCommandLine : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void answers_data();
    void answers();
};

void TestCommandLine::answers_data()
{
    QTest::addColumn<QString>("program");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("display");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("out");
    QTest::addColumn<QString>("err");

    const QString version = QRegularExpression::escape(QString::fromLatin1(ProgramVersion::text));
    // Without a display, a window program that built its window toolkit first would abort.
    // clang-format off
    QTest::newRow("velmar --version") << "velmar" << QStringList{u"--version"_s} << false << 0 << u"^velmar "_s + version + u"\n$"_s << "^$";
    QTest::newRow("velmar -v") << "velmar" << QStringList{u"-v"_s} << false << 0 << u"^velmar "_s + version + u"\n$"_s << "^$";
    QTest::newRow("velmar --help") << "velmar" << QStringList{u"--help"_s} << false << 0 << "Gestion des comptes d'un établissement scolaire\n.*-v, --version" << "^$";
    QTest::newRow("trivo --version") << "trivo" << QStringList{u"--version"_s} << false << 0 << u"^trivo "_s + version + u"\n$"_s << "^$";
    QTest::newRow("trivo -h") << "trivo" << QStringList{u"-h"_s} << false << 0 << "^Usage: \\S*trivo \\[options\\]\nAnalyseur ORVO" << "^$";
    QTest::newRow("help before a mistake") << "velmar" << QStringList{u"--inconnue"_s, u"--help"_s} << false << 0 << "-h, --help" << "^$";
    QTest::newRow("the toolkit's own option") << "trivo" << QStringList{u"-platform"_s, u"offscreen"_s, u"--version"_s} << false << 0 << u"^trivo "_s + version + u"\n$"_s << "^$";
    QTest::newRow("unknown option") << "velmar" << QStringList{u"--inconnue"_s} << true << 1 << "^$" << "velmar : Option inconnue : inconnue\nvelmar : Voir « velmar --help »";
    QTest::newRow("unexpected argument") << "trivo" << QStringList{u"eleves.txt"_s} << true << 1 << "^$" << "trivo : Argument inattendu : eleves.txt\n";
    // clang-format on
}

void TestCommandLine::answers()
{
    QFETCH(QString, program);
    QFETCH(QStringList, arguments);
    QFETCH(bool, display);
    QFETCH(int, status);
    QFETCH(QString, out);
    QFETCH(QString, err);

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("DISPLAY"));
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    environment.insert(
        QStringLiteral("QT_QPA_PLATFORM"), display ? QStringLiteral("offscreen") : QStringLiteral("xcb"));
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(VELMAR_BUILT_PROGRAM_FOLDER) + u'/' + program, arguments);
    QVERIFY(process.waitForStarted(10000));
    QVERIFY(process.waitForFinished(30000));
    const QString stdOut = QString::fromUtf8(process.readAllStandardOutput());
    const QString stdErr
        = QString::fromUtf8(process.readAllStandardError())
              .remove(QRegularExpression(QStringLiteral("^QStandardPaths: .*\n"), QRegularExpression::MultilineOption));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), status);
    QVERIFY2(QRegularExpression(out, QRegularExpression::DotMatchesEverythingOption).match(stdOut).hasMatch(),
        qPrintable(stdOut));
    QVERIFY2(QRegularExpression(err).match(stdErr).hasMatch(), qPrintable(stdErr));
}

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
