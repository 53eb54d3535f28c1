#include "text/programfolder.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

// A program folder shared by a group keeps what the program creates writable by the group.
class TestProgramFolder : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void newFilesFollowTheFolder_data();
    void newFilesFollowTheFolder();
};

void TestProgramFolder::newFilesFollowTheFolder_data()
{
    QTest::addColumn<uint>("folderMode");
    QTest::addColumn<uint>("maskBefore");
    QTest::addColumn<uint>("maskAfter");

    QTest::newRow("shared by its group") << 02775u << 022u << 02u;
    QTest::newRow("shared and sticky, as packaged") << 03775u << 027u << 07u;
    QTest::newRow("setgid, not group-writable") << 02755u << 022u << 022u;
    QTest::newRow("group-writable, not setgid") << 0775u << 022u << 022u;
    QTest::newRow("private") << 0700u << 077u << 077u;
}

void TestProgramFolder::newFilesFollowTheFolder()
{
    QFETCH(uint, folderMode);
    QFETCH(uint, maskBefore);
    QFETCH(uint, maskAfter);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QCOMPARE(::chmod(QFile::encodeName(dir.path()).constData(), folderMode), 0);
    const mode_t original = ::umask(maskBefore);
    ProgramFolder::shareNewFilesWithGroup(dir.path());
    const mode_t result = ::umask(original);
    QCOMPARE(uint(result), maskAfter);
}

QTEST_GUILESS_MAIN(TestProgramFolder)
#include "tst_programfolder.moc"
