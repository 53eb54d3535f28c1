#include "text/pathresolver.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestPathResolver : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void mapping_data();
    void mapping();
    void unlistedDriveMapsInsideProgramFolder();
    void driveRoots_data();
    void driveRoots();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_e;
};

void TestPathResolver::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_e = m_dir->filePath(QStringLiteral("srv/e"));
    QDir().mkpath(m_e + QStringLiteral("/Perso/Eleves/TS8"));
    QFile orvo(m_dir->filePath(QStringLiteral("srv/c/ORVO.txt")));
    QDir().mkpath(m_dir->filePath(QStringLiteral("srv/c")));
    QVERIFY(orvo.open(QIODevice::WriteOnly));
    QFile map(m_dir->filePath(QStringLiteral("lecteurs.txt")));
    QVERIFY(map.open(QIODevice::WriteOnly));
    map.write("E:," + m_e.toUtf8() + "\r\nc:,srv/c\r\n");
}

void TestPathResolver::mapping_data()
{
    QTest::addColumn<QString>("windows");
    QTest::addColumn<QString>("host"); // relative to the temporary folder

    // clang-format off
    QTest::newRow("drive root") << "E:" << "srv/e";
    QTest::newRow("drive root with backslash") << "E:\\" << "srv/e";
    QTest::newRow("existing, other case") << "e:\\perso\\ELEVES\\ts8" << "srv/e/Perso/Eleves/TS8";
    QTest::newRow("new component keeps its case") << "E:\\Perso\\eleves\\TS8\\TS8MARTINPaul"
                                                  << "srv/e/Perso/Eleves/TS8/TS8MARTINPaul";
    QTest::newRow("new, then more new") << "E:\\PERSO\\Profs\\DUPONTJean" << "srv/e/Perso/Profs/DUPONTJean";
    QTest::newRow("same file either case") << "C:\\orvo.txt" << "srv/c/ORVO.txt";
    QTest::newRow("relative drive target") << "c:\\ORVO.TXT" << "srv/c/ORVO.txt";
    QTest::newRow("doubled separators") << "E:\\\\Perso\\\\" << "srv/e/Perso";
    QTest::newRow("dot-dot stops at the drive root") << "E:\\..\\..\\Perso" << "srv/e/Perso";
    QTest::newRow("forward slashes too") << "E:/Perso/Eleves" << "srv/e/Perso/Eleves";
    QTest::newRow("relative to program folder") << "parametres.txt" << "parametres.txt";
    QTest::newRow("leading backslash stays on drive C") << "\\eleves\\TS8" << "srv/c/eleves/TS8";
    QTest::newRow("leading backslash cannot climb out") << "\\..\\etc" << "srv/c/etc";
    // clang-format on
}

void TestPathResolver::mapping()
{
    QFETCH(QString, windows);
    QFETCH(QString, host);
    PathResolver paths(m_dir->path());
    QCOMPARE(paths.toHost(windows), QDir::cleanPath(m_dir->filePath(host)));
    QCOMPARE(paths.lookUp(windows), QDir::cleanPath(m_dir->filePath(host)));
}

void TestPathResolver::unlistedDriveMapsInsideProgramFolder()
{
    PathResolver paths(m_dir->path());
    const QString expected = m_dir->filePath(QStringLiteral("lecteurs/d/temporvo.txt"));
    // Looking makes nothing; writing needs the drive's folder.
    QCOMPARE(paths.lookUp(QStringLiteral("d:\\temporvo.txt")), expected);
    QVERIFY(!QFileInfo::exists(m_dir->filePath(QStringLiteral("lecteurs"))));
    QCOMPARE(paths.toHost(QStringLiteral("d:\\temporvo.txt")), expected);
    QVERIFY(QFileInfo(m_dir->filePath(QStringLiteral("lecteurs/d"))).isDir());
    // The program folder itself, as the program writes it: host path + "\" + name.
    QCOMPARE(paths.toHost(m_dir->path() + QStringLiteral("\\PARAMETRES.txt")),
        m_dir->filePath(QStringLiteral("PARAMETRES.txt")));
}

void TestPathResolver::driveRoots_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("root");
    QTest::newRow("empty") << "" << true;
    QTest::newRow("blank") << "   " << true;
    QTest::newRow("drive") << "E:" << true;
    QTest::newRow("drive slash") << "E:\\" << true;
    QTest::newRow("drive dot-dot") << "E:\\Perso\\.." << true;
    QTest::newRow("host root") << "/" << true;
    QTest::newRow("folder") << "E:\\Perso" << false;
    QTest::newRow("relative") << "Perso" << false;
}

void TestPathResolver::driveRoots()
{
    QFETCH(QString, path);
    QFETCH(bool, root);
    QCOMPARE(PathResolver::isDriveRootOrEmpty(path), root);
}

QTEST_GUILESS_MAIN(TestPathResolver)
#include "tst_pathresolver.moc"
