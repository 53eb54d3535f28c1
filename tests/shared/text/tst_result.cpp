#include "text/result.h"

#include <QTest>

#include <stdexcept>

namespace {

bool failedFrom(const Status &status)
{
    return !Result<int>(status).ok();
}

} // namespace

class TestResult : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void failureCarriesItsMessage();
    void successIsNoFailure();
};

void TestResult::failureCarriesItsMessage()
{
    const Result<int> failed = Status::failure(QStringLiteral("Le fichier est introuvable."));
    QVERIFY(!failed.ok());
    QCOMPARE(failed.message(), QStringLiteral("Le fichier est introuvable."));
    QVERIFY(!failed.status().ok());

    const Result<int> value = 7;
    QVERIFY(value.ok());
    QCOMPARE(*value, 7);
}

void TestResult::successIsNoFailure()
{
    // A failed Result from a success would complain without a word of why: the slip stops at once.
    QVERIFY_THROWS_EXCEPTION(std::logic_error, failedFrom(Status()));
    const Result<QString> read = QStringLiteral("lu");
    QVERIFY_THROWS_EXCEPTION(std::logic_error, failedFrom(read.status()));
}

QTEST_GUILESS_MAIN(TestResult)
#include "tst_result.moc"
