#include "provisioning/enrolfixture.h"
#include "provisioning/schoolyear.h"

#include <QTest>

// A school year after the bulk creation on the embedded store: pupils and teachers come and go,
// and the shares are kept in the program folder's own list.
class TestEnrolEndToEnd : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void yearOnTheEmbeddedStore();
};

void TestEnrolEndToEnd::yearOnTheEmbeddedStore()
{
    EnrolFixture f;
    runSchoolYear(f);
}

QTEST_MAIN(TestEnrolEndToEnd)
#include "tst_enrol_e2e.moc"
