#include "provisioning/pupilnaming.h"

#include <QTest>

// The login and folder-name rules are tested with the other naming rules of the Windows side.
class TestPupilNaming : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void paths();
};

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
