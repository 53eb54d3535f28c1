#include "journal/actionjournal.h"
#include "journal/journalfile.h"
#include "journal/keptfile.h"
#include "journal/runjournal.h"
#include "support/scriptedprompts.h"
#include "support/tempprogramfolder.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTest>

namespace {

constexpr QFile::Permissions kOthers
    = QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup | QFile::ReadOther | QFile::WriteOther | QFile::ExeOther;

const QDateTime kWhen(QDate(2026, 9, 1), QTime(8, 30, 5));

} // namespace

// The journals a run or an action leaves in the program folder's journal folder, and the sheets kept
// beside themselves rather than written over.
class TestJournal : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void keptFileTakesItsLastWriteTimeAndNoOtherName();
    void journalIsForItsOwnerAndOneLineEach();
    void journalNamesNeverTaken();
    void reopenedJournalDropsALineCutShort();
    void lockedWhileARunHoldsIt();
    void runJournalThatCannotBeWrittenStopsNothing();
    void actionLinesAndAJournalThatCannotBeWritten();

private:
    std::unique_ptr<TempProgramFolder> m_folder;
    QString host(const QString &windowsPath) { return m_folder->paths().toHost(windowsPath); }
    QByteArray read(const QString &windowsPath)
    {
        QFile file(host(windowsPath));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
};

void TestJournal::init()
{
    m_folder = std::make_unique<TempProgramFolder>();
    QDir().mkpath(m_folder->drive(QStringLiteral("C")));
}

void TestJournal::cleanup()
{
    m_folder.reset();
}

void TestJournal::keptFileTakesItsLastWriteTimeAndNoOtherName()
{
    PathResolver &paths = m_folder->paths();
    QCOMPARE(KeptFile::keepAside(paths, QStringLiteral("C:\\comptes.html")).value(), QString());

    const QString sheet = host(QStringLiteral("C:\\comptes.html"));
    const QDateTime written(QDate(2025, 6, 30), QTime(17, 4, 9));
    auto makeSheet = [&](const QByteArray &bytes) {
        QFile file(sheet);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        file.flush();
        file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
        QVERIFY(file.setFileTime(written, QFileDevice::FileModificationTime));
    };
    makeSheet("premier");
    auto kept = KeptFile::keepAside(paths, QStringLiteral("C:\\comptes.html"));
    QVERIFY2(kept.ok(), qPrintable(kept.message()));
    QCOMPARE(*kept, QStringLiteral("C:\\comptes-20250630-170409.html"));
    QVERIFY(!QFileInfo::exists(sheet));
    QCOMPARE(read(*kept), QByteArray("premier"));
    QCOMPARE(QFile::permissions(host(*kept)) & kOthers, QFile::Permissions());

    // A second sheet of the same second never takes the first one's place.
    makeSheet("second");
    kept = KeptFile::keepAside(paths, QStringLiteral("C:\\comptes.html"));
    QCOMPARE(kept.value(), QStringLiteral("C:\\comptes-20250630-170409-2.html"));
    QCOMPARE(read(QStringLiteral("C:\\comptes-20250630-170409.html")), QByteArray("premier"));
    QCOMPARE(read(*kept), QByteArray("second"));

    // A folder in the sheet's place is not a sheet to keep.
    QDir().mkpath(sheet);
    QVERIFY(!KeptFile::keepAside(paths, QStringLiteral("C:\\comptes.html")).ok());
}

void TestJournal::journalIsForItsOwnerAndOneLineEach()
{
    PathResolver &paths = m_folder->paths();
    auto journal = JournalFile::create(paths, QStringLiteral("creation"), kWhen);
    QVERIFY2(journal.ok(), qPrintable(journal.message()));
    QCOMPARE(journal->windowsPath(), JournalFile::folder(paths) + QStringLiteral("\\creation-20260901-083005.txt"));
    QVERIFY(journal->writeLine(QStringLiteral("Élève : LÉVÊQUE")).ok());
    // A name with a line end in it stays on its line.
    QVERIFY(journal->writeLine(QStringLiteral("a\r\nb\tc")).ok());
    // On disk at once, in the files' code page and line ends, before the journal is closed.
    QCOMPARE(read(journal->windowsPath()), QByteArray("\xc9l\xe8ve : L\xc9V\xcaQUE\r\na  b c\r\n"));
    QCOMPARE(QFile::permissions(host(journal->windowsPath())) & kOthers, QFile::Permissions());
    QCOMPARE(QFile::permissions(host(JournalFile::folder(paths))) & kOthers, QFile::Permissions());
    QCOMPARE(JournalFile::readLines(paths, journal->windowsPath()).value(),
        (QStringList {QStringLiteral("Élève : LÉVÊQUE"), QStringLiteral("a  b c")}));
}

void TestJournal::journalNamesNeverTaken()
{
    PathResolver &paths = m_folder->paths();
    auto first = JournalFile::create(paths, QStringLiteral("suppression"), kWhen);
    auto second = JournalFile::create(paths, QStringLiteral("suppression"), kWhen);
    QVERIFY(first.ok() && second.ok());
    QCOMPARE(second->windowsPath(), JournalFile::folder(paths) + QStringLiteral("\\suppression-20260901-083005-2.txt"));
    QVERIFY(first->writeLine(QStringLiteral("un")).ok());
    const QDateTime later = kWhen.addSecs(1);
    auto third = JournalFile::create(paths, QStringLiteral("suppression"), later);
    QVERIFY(third.ok());
    // Oldest first, a second journal of the same second after the first.
    QCOMPARE(JournalFile::list(paths, QStringLiteral("suppression")),
        (QStringList {first->windowsPath(), second->windowsPath(), third->windowsPath()}));
    QCOMPARE(JournalFile::list(paths, QStringLiteral("creation")), QStringList());
}

void TestJournal::reopenedJournalDropsALineCutShort()
{
    PathResolver &paths = m_folder->paths();
    QString path;
    {
        auto journal = JournalFile::create(paths, QStringLiteral("creation"), kWhen);
        QVERIFY(journal.ok());
        path = journal->windowsPath();
        QVERIFY(journal->writeLine(QStringLiteral("1 ; A")).ok());
    }
    // A stop in the middle of a line.
    QFile file(host(path));
    QVERIFY(file.open(QIODevice::Append));
    file.write("2 ; B");
    file.close();
    QCOMPARE(JournalFile::readLines(paths, path).value(), QStringList {QStringLiteral("1 ; A")});
    QCOMPARE(JournalFile::lastLine(paths, path), QStringLiteral("1 ; A"));

    auto reopened = JournalFile::reopen(paths, path);
    QVERIFY2(reopened.ok(), qPrintable(reopened.message()));
    QVERIFY(reopened->writeLine(QStringLiteral("2 ; B")).ok());
    QCOMPARE(read(path), QByteArray("1 ; A\r\n2 ; B\r\n"));
    QCOMPARE(JournalFile::lastLine(paths, path), QStringLiteral("2 ; B"));
    // Read from the end alone: a last line longer than that end is not told, rather than told cut.
    const QString longLine(400, u'x');
    QVERIFY(reopened->writeLine(longLine).ok());
    QCOMPARE(JournalFile::lastLine(paths, path), QString());
    QVERIFY(reopened->writeLine(QStringLiteral("fin")).ok());
    QCOMPARE(JournalFile::lastLine(paths, path), QStringLiteral("fin"));
}

void TestJournal::lockedWhileARunHoldsIt()
{
    PathResolver &paths = m_folder->paths();
    QString path;
    {
        auto journal = JournalFile::create(paths, QStringLiteral("creation"), kWhen);
        QVERIFY(journal.ok());
        path = journal->windowsPath();
        QVERIFY(JournalFile::inUse(paths, path));
        // Another run cannot go on with it meanwhile.
        QVERIFY(!JournalFile::reopen(paths, path).ok());
    }
    QVERIFY(!JournalFile::inUse(paths, path));
    QVERIFY(JournalFile::reopen(paths, path).ok());
}

void TestJournal::runJournalThatCannotBeWrittenStopsNothing()
{
    PathResolver &paths = m_folder->paths();
    // A file where the journal folder should be.
    QFile blocker(host(JournalFile::folder(paths)));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    RunJournal journal = RunJournal::start(paths, QStringLiteral("creation"), kWhen);
    journal.write(QStringLiteral("1 ; A"));
    QVERIFY(journal.failed());
    const QString told = journal.failureMessage(QStringLiteral("Rien d'autre n'a changé."));
    QVERIFY2(told.startsWith(QStringLiteral("Le journal ") + JournalFile::folder(paths)
                 + QStringLiteral("\\creation-20260901-083005.txt n'a pas pu être écrit : ")),
        qPrintable(told));
    QVERIFY(told.endsWith(QStringLiteral("\rRien d'autre n'a changé.")));
}

void TestJournal::actionLinesAndAJournalThatCannotBeWritten()
{
    PathResolver &paths = m_folder->paths();
    ScriptedPrompts prompts;
    ActionJournal journal(paths, prompts);
    journal.record(QStringLiteral("création d'un groupe"), QStringLiteral("TS8"), Status());
    journal.record(QStringLiteral("déverrouillage"), QStringLiteral("TS8MARTINPaul"),
        Status::failure(QStringLiteral("Compte introuvable.")));
    const QStringList lines
        = JournalFile::readLines(paths, JournalFile::folder(paths) + QStringLiteral("\\actions.txt")).value();
    QCOMPARE(lines.size(), 2);
    static const QRegularExpression stamp(QStringLiteral("^\\d\\d/\\d\\d/\\d{4} ; \\d\\d:\\d\\d:\\d\\d ; "));
    for (const QString &line : lines)
        QVERIFY2(stamp.match(line).hasMatch(), qPrintable(line));
    QVERIFY(lines[0].endsWith(QStringLiteral(" ; création d'un groupe ; TS8 ; fait")));
    QVERIFY(lines[1].endsWith(QStringLiteral(" ; déverrouillage ; TS8MARTINPaul ; échec : Compte introuvable.")));
    QCOMPARE(prompts.shown.size(), 0);
    QCOMPARE(ActionJournal::stepsText({{QStringLiteral("compte"), Status()},
                 {QStringLiteral("groupe profs"), Status::failure(QStringLiteral("refusé"))}}),
        QStringLiteral("compte : fait ; groupe profs : échec (refusé)"));

    // A file where the journal folder should be: the administrator is told once, and the actions go on.
    const QString folder = host(JournalFile::folder(paths));
    QVERIFY(QDir(folder).removeRecursively());
    QFile blocker(folder);
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    journal.record(QStringLiteral("suppression d'un compte"), QStringLiteral("A"), Status());
    journal.record(QStringLiteral("suppression d'un compte"), QStringLiteral("B"), Status());
    QCOMPARE(prompts.messages().size(), 1);
    QVERIFY2(prompts.messages()[0].startsWith(QStringLiteral("Le journal des actions ") + JournalFile::folder(paths)
                 + QStringLiteral("\\actions.txt n'a pas pu être écrit : ")),
        qPrintable(prompts.messages()[0]));
}

QTEST_MAIN(TestJournal)
#include "tst_journal.moc"
