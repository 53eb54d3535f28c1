// The check of the converted pupil file before step 3: one case per problem and cases with several
// problems on one row, against a domain and folders that step 1 would have left; the directory is
// asked once whatever the number of pupils; a file or directory that cannot be read gives a reason.
#include "directory/directory.h"
#include "directory/directoryfactory.h"
#include "provisioning/pupilcheck.h"
#include "provisioning/pupilfile.h"
#include "support/forwardingdirectory.h"
#include "support/forwardingdirobject.h"
#include "support/tempprogramfolder.h"
#include "text/cp1252.h"

#include <QDir>
#include <QFile>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

// Passes reads on to a directory and counts them; any write is recorded, and refused.
class WatchedDirectory : public ForwardingDirectory
{
public:
    explicit WatchedDirectory(Directory &inner)
        : ForwardingDirectory(inner)
    {
    }

    int binds = 0;
    int listings = 0;
    QStringList writes;
    std::optional<Status> bindFailure;
    std::optional<Status> listingFailure;

    Result<DirObjectPtr> bind(const QString &adsPath) override
    {
        ++binds;
        if (bindFailure)
            return *bindFailure;
        auto bound = ForwardingDirectory::bind(adsPath);
        if (!bound)
            return bound;
        return DirObjectPtr(std::make_unique<Object>(std::move(*bound), *this));
    }
    Result<bool> ensureGroupPasswordPolicy(const QString &group, const PasswordPolicy &) override
    {
        writes << QStringLiteral("policy ") + group;
        return Status::failure(QStringLiteral("écriture"));
    }

private:
    class Object : public ForwardingDirObject
    {
    public:
        Object(DirObjectPtr inner, WatchedDirectory &directory)
            : ForwardingDirObject(std::move(inner))
            , m_directory(directory)
        {
        }
        Status enumerate(const QList<DirListed> &filter, const DirVisitor &visit) override
        {
            ++m_directory.listings;
            if (m_directory.listingFailure)
                return *m_directory.listingFailure;
            return m_inner->enumerate(filter, visit);
        }
        Result<DirObjectPtr> create(DirKind kind, const QString &name) override
        {
            return refuse(QStringLiteral("create ") + classNameOf(kind) + u' ' + name);
        }
        Status deleteObject(DirKind kind, const QString &name) override
        {
            return refuse(QStringLiteral("delete ") + classNameOf(kind) + u' ' + name);
        }
        Status put(DirProperty property, const QVariant &) override
        {
            return refuse(QStringLiteral("put ") + propertyName(property));
        }
        Status setPassword(const QString &) override { return refuse(QStringLiteral("setPassword")); }
        Status setInfo() override { return refuse(QStringLiteral("setInfo")); }
        Status add(const QString &member) override { return refuse(QStringLiteral("add ") + member); }
        Status remove(const QString &member) override { return refuse(QStringLiteral("remove ") + member); }

    private:
        Status refuse(const QString &what)
        {
            m_directory.writes << what;
            return Status::failure(QStringLiteral("écriture"));
        }
        WatchedDirectory &m_directory;
    };
};

const QString homeRoot = QStringLiteral("E:\\Perso");
const QString pupilFile = QStringLiteral("C:\\ORVO.txt");

} // namespace

class TestPupilCheck : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void problems_data();
    void problems();
    void asksTheDirectoryOnceAndWritesNothing();
    void cannotCheck_data();
    void cannotCheck();
    void summaryAndReport();

private:
    void writePupils(const QStringList &lines);
    Result<QList<PupilCheckRow>> check(Directory &directory, const QString &file = pupilFile);

    std::unique_ptr<TempProgramFolder> m_folder;
    std::unique_ptr<Directory> m_directory;
};

void TestPupilCheck::init()
{
    m_folder = std::make_unique<TempProgramFolder>();
    m_directory = openDirectory(m_folder->paths());
    // What step 1 left: groups TS8, 1S2 and TERMINALE-S; folders for TS8, TERMINALE-S and 2A. Two
    // accounts of an earlier year.
    auto container = m_directory->bind(QStringLiteral("WinNT://SERVEUR1"));
    QVERIFY(container.ok());
    const auto make = [&](DirKind kind, const QString &name) {
        auto made = (*container)->create(kind, name);
        QVERIFY2(made.ok() && (*made)->setInfo().ok(), qPrintable(name));
    };
    for (const QString &group : {u"eleves"_s, u"profs"_s, u"TS8"_s, u"1S2"_s, u"TERMINALE-S"_s})
        make(DirKind::Group, group);
    for (const QString &user : {u"TS8DURANDLéa"_s, u"TS8DURAND"_s})
        make(DirKind::User, user);
    for (const QString &className : {u"TS8"_s, u"TERMINALE-S"_s, u"2A"_s})
        QVERIFY(QDir().mkpath(m_folder->paths().toHost(homeRoot + QStringLiteral("\\eleves\\") + className)));
}

void TestPupilCheck::cleanup()
{
    m_directory.reset();
    m_folder.reset();
}

void TestPupilCheck::writePupils(const QStringList &lines)
{
    QByteArray bytes;
    for (const QString &line : lines)
        bytes += Cp1252::encode(line) + "\r\n";
    QFile file(m_folder->paths().toHost(pupilFile));
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

Result<QList<PupilCheckRow>> TestPupilCheck::check(Directory &directory, const QString &file)
{
    return PupilCheck(directory, m_folder->paths()).run({QStringLiteral("SERVEUR1"), homeRoot, file});
}

void TestPupilCheck::problems_data()
{
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QString>("login"); // of the last record
    QTest::addColumn<QStringList>("problems"); // of the last record

    const QString empty = PupilCheck::emptyField();
    const QString exists = PupilCheck::accountExists();
    const QString tooLong = PupilCheck::loginTooLong();
    const QString refused = PupilCheck::loginRefused();
    const QString noFolderName = PupilCheck::folderNameRefused();
    const QString noGroup = PupilCheck::classGroupMissing();
    const QString noFolder = PupilCheck::classFolderMissing();

    // clang-format off
    QTest::newRow("clean") << QStringList {u"MARTIN,Paul,TS8"_s} << "TS8MARTINPaul" << QStringList {};
    QTest::newRow("group and folder regardless of case") << QStringList {u"MARTIN,Paul,ts8"_s} << "ts8MARTINPaul" << QStringList {};
    QTest::newRow("surname empty") << QStringList {u",Paul,TS8"_s} << "TS8Paul" << QStringList {empty};
    QTest::newRow("first names empty") << QStringList {u"MARTIN,,TS8"_s} << "TS8MARTIN" << QStringList {empty};
    // A login ending in spaces names no folder: Windows would drop them.
    QTest::newRow("first names of spaces") << QStringList {u"MARTIN,\"  \",TS8"_s} << "TS8MARTIN  " << QStringList {empty, noFolderName};
    // Without a class the login names no folder either; no group or folder is looked for.
    QTest::newRow("class empty") << QStringList {u"MARTIN,Paul,"_s} << "MARTINPaul" << QStringList {empty, noFolderName};
    QTest::newRow("blank line") << QStringList {u"MARTIN,Paul,TS8"_s, u""_s} << "" << QStringList {empty, noFolderName};
    QTest::newRow("login of an earlier line") << QStringList {u"MARTIN,Paul,TS8"_s, u"DUPONT,Léa,TS8"_s, u"MARTIN,Paulette,TS8"_s} << "TS8MARTINPaul" << QStringList {PupilCheck::loginTakenByLine(1)};
    QTest::newRow("login of an earlier line in another case") << QStringList {u"MARTIN,Paul,TS8"_s, u"Martin,Paul,ts8"_s} << "ts8MartinPaul" << QStringList {PupilCheck::loginTakenByLine(1)};
    QTest::newRow("account in the domain") << QStringList {u"DURAND,Léa,TS8"_s} << "TS8DURANDLéa" << QStringList {exists};
    QTest::newRow("account in the domain in another case") << QStringList {u"durand,léa,TS8"_s} << "TS8durandléa" << QStringList {exists};
    QTest::newRow("login of 20 characters") << QStringList {u"DUPONT,Zoé,TERMINALE-S"_s} << "TERMINALE-SDUPONTZoé" << QStringList {};
    QTest::newRow("login of 21 characters") << QStringList {u"DUPONT-LAJOIE,Jean,TERMINALE-S"_s} << "TERMINALE-SDUPONT-LAJ" << QStringList {tooLong};
    QTest::newRow("login with a comma") << QStringList {u"\"DUPONT, Jr\",Jean,TS8"_s} << "TS8DUPONT, Jr" << QStringList {refused};
    QTest::newRow("login no folder takes") << QStringList {u"O&BRIEN,Ann,TS8"_s} << "TS8O&BRIENAnn" << QStringList {noFolderName};
    QTest::newRow("class without its group") << QStringList {u"MARTIN,Paul,2A"_s} << "2AMARTINPaul" << QStringList {noGroup};
    QTest::newRow("class without its folder") << QStringList {u"MARTIN,Paul,1S2"_s} << "1S2MARTINPaul" << QStringList {noFolder};

    // Several problems on one row, in their fixed order.
    QTest::newRow("class with a slash") << QStringList {u"MARTIN,Paul,TS/8"_s} << "TS/8MARTINPaul" << QStringList {refused, noFolderName, noGroup};
    QTest::newRow("empty, taken and in the domain") << QStringList {u"DURAND,,TS8"_s, u"DURAND,,TS8"_s} << "TS8DURAND" << QStringList {empty, PupilCheck::loginTakenByLine(1), exists};
    QTest::newRow("taken, too long, no group, no folder") << QStringList {u"DUPONT-LAJOIE,Jean-Pierre,PREMIERE-ES"_s, u"DUPONT,Léa,TS8"_s, u"DUPONT-LAJOIE,Jean-Paul,PREMIERE-ES"_s} << "PREMIERE-ESDUPONT-LAJ" << QStringList {PupilCheck::loginTakenByLine(1), tooLong, noGroup, noFolder};
    QTest::newRow("too long, refused, no folder name, no group, no folder") << QStringList {u"A|BCDEFGH,Jean,SECONDE-ABCD"_s} << "SECONDE-ABCDA|BCDEFGHJ" << QStringList {tooLong, refused, noFolderName, noGroup, noFolder};
    // clang-format on
}

void TestPupilCheck::problems()
{
    QFETCH(QStringList, lines);
    QFETCH(QString, login);
    QFETCH(QStringList, problems);
    writePupils(lines);

    const auto rows = check(*m_directory);
    QVERIFY2(rows.ok(), qPrintable(rows.message()));
    QCOMPARE(rows->size(), lines.size());
    for (int i = 0; i < rows->size(); ++i)
        QCOMPARE(rows->at(i).line, i + 1);
    const PupilCheckRow &last = rows->last();
    QCOMPARE(last.login, login);
    QCOMPARE(last.problems, problems);
    QCOMPARE(last.problemText(), problems.join(QStringLiteral("; ")));
}

void TestPupilCheck::asksTheDirectoryOnceAndWritesNothing()
{
    QStringList lines;
    for (int i = 0; i < 300; ++i)
        lines << QStringLiteral("NOM%1,Prenom,%2").arg(i).arg(i % 2 ? QStringLiteral("TS8") : QStringLiteral("1S2"));
    writePupils(lines);

    WatchedDirectory watched(*m_directory);
    const auto rows = check(watched);
    QVERIFY2(rows.ok(), qPrintable(rows.message()));
    QCOMPARE(rows->size(), 300);
    QCOMPARE(watched.binds, 1);
    QCOMPARE(watched.listings, 1);
    QCOMPARE(watched.writes, QStringList());
    QCOMPARE(rows->at(0).problems, QStringList {PupilCheck::classFolderMissing()});
    QCOMPARE(rows->at(1).problems, QStringList());
}

void TestPupilCheck::cannotCheck_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("bindFailure");
    QTest::addColumn<QString>("listingFailure");
    QTest::addColumn<QString>("message");
    QTest::addColumn<int>("binds");

    // clang-format off
    QTest::newRow("file missing") << "C:\\ABSENT.txt" << "" << "" << PupilFile::unreadableMessage(u"C:\\ABSENT.txt"_s) << 0;
    QTest::newRow("file is a folder") << "E:\\Perso" << "" << "" << PupilFile::unreadableMessage(u"E:\\Perso"_s) << 0;
    QTest::newRow("file on a drive never used") << "Q:\\ORVO.txt" << "" << "" << PupilFile::unreadableMessage(u"Q:\\ORVO.txt"_s) << 0;
    QTest::newRow("file missing and directory out of reach") << "C:\\ABSENT.txt" << "Le serveur ne répond pas." << "" << PupilFile::unreadableMessage(u"C:\\ABSENT.txt"_s) << 0;
    QTest::newRow("directory out of reach") << pupilFile << "Le serveur ne répond pas." << "" << "L'annuaire n'a pas pu être lu : Le serveur ne répond pas." << 1;
    QTest::newRow("listing refused") << pupilFile << "" << "Accès refusé." << "L'annuaire n'a pas pu être lu : Accès refusé." << 1;
    // clang-format on
}

void TestPupilCheck::cannotCheck()
{
    QFETCH(QString, file);
    QFETCH(QString, bindFailure);
    QFETCH(QString, listingFailure);
    QFETCH(QString, message);
    QFETCH(int, binds);
    writePupils({QStringLiteral("MARTIN,Paul,TS8")});

    WatchedDirectory watched(*m_directory);
    if (!bindFailure.isEmpty())
        watched.bindFailure = Status::failure(bindFailure);
    if (!listingFailure.isEmpty())
        watched.listingFailure = Status::failure(listingFailure);
    const auto rows = check(watched, file);
    QVERIFY(!rows.ok());
    QCOMPARE(rows.message(), message);
    QCOMPARE(watched.binds, binds);
    // Reading makes no drive folder.
    QVERIFY(!QFileInfo::exists(m_folder->path() + QStringLiteral("/lecteurs")));
}

void TestPupilCheck::summaryAndReport()
{
    writePupils({u"MARTIN,Paul,TS8"_s, u"\"DUPONT, Jr\",Jean,TS8"_s, u"O\"NEIL,Ann,TS8"_s, u"MARTIN,Paulette,TS8"_s});
    const auto rows = check(*m_directory);
    QVERIFY2(rows.ok(), qPrintable(rows.message()));

    QCOMPARE(PupilCheck::summary(*rows), QStringLiteral("4 élèves : 1 sans problème, 3 avec un problème."));
    QCOMPARE(PupilCheck::summary({}), QStringLiteral("0 élèves : 0 sans problème, 0 avec un problème."));
    QCOMPARE(PupilCheck::reportPath(QStringLiteral("C:")), QStringLiteral("C:\\verification.csv"));
    QCOMPARE(PupilCheck::reportLines(*rows),
        QStringList({u"Ligne,Identifiant,Nom,Prénom,Classe,Problème"_s, u"1,TS8MARTINPaul,MARTIN,Paul,TS8,"_s,
            u"2,\"TS8DUPONT, Jr\",\"DUPONT, Jr\",Jean,TS8,identifiant refusé par le domaine"_s,
            u"3,\"TS8O\"\"NEILAnn\",\"O\"\"NEIL\",Ann,TS8,identifiant refusé par le domaine; "
            "nom refusé pour un dossier : ni dossier ni partage"_s,
            u"4,TS8MARTINPaul,MARTIN,Paulette,TS8,identifiant déjà pris par la ligne 1"_s}));
}

QTEST_GUILESS_MAIN(TestPupilCheck)
#include "tst_pupilcheck.moc"
