#include "adminfixture.h"

#include "support/fixturehelpers.h"

#include "journal/journalfile.h"

#include "directory/directoryfactory.h"
#include "directory/sqlite/sqlitedirectory.h"
#include "support/forwardingdirobject.h"

#include <QTest>

namespace {

const QString kServer = QStringLiteral("WinNT://SERVEUR1");

// Fails one operation, as a directory out of reach or refusing a change would.
class FaultyObject : public ForwardingDirObject
{
public:
    FaultyObject(DirObjectPtr real, QString operation)
        : ForwardingDirObject(std::move(real))
        , m_operation(std::move(operation))
    {
    }

    Status setInfo() override
    {
        if (m_operation == QStringLiteral("setInfo"))
            return Status::failure(QStringLiteral("Accès refusé."));
        return m_inner->setInfo();
    }
    Status members(const DirVisitor &visit) override
    {
        if (m_operation != QStringLiteral("members"))
            return m_inner->members(visit);
        bool first = true;
        const Status listed = m_inner->members([&](const DirEntry &member) {
            if (first)
                visit(member);
            first = false;
        });
        return listed.ok() ? Status::failure(QStringLiteral("Le serveur ne répond plus.")) : listed;
    }

private:
    QString m_operation;
};

} // namespace

Result<DirObjectPtr> ObservingDirectory::bind(const QString &adsPath)
{
    binds << adsPath;
    if (onBind)
        onBind(adsPath);
    auto bound = ForwardingDirectory::bind(adsPath);
    if (!bound || adsPath != faultyPath)
        return bound;
    return DirObjectPtr(new FaultyObject(std::move(*bound), faultyOperation));
}

// The settings first: the directory is opened as they say.
static std::unique_ptr<Directory> openWithSettings(TempProgramFolder &folder)
{
    folder.writeSettings(QStringLiteral("ECOLE"), QStringLiteral("SERVEUR1"));
    QString problem;
    auto directory = openDirectory(folder.paths(), &problem);
    if (!problem.isEmpty())
        qFatal("%s", qPrintable(problem));
    return directory;
}

AdminFixture::AdminFixture()
    : directory(openWithSettings(folder))
    , observer(std::make_unique<ObservingDirectory>(*directory))
    , services(FixtureHelpers::wireServices({.folder = folder,
          .directory = *observer,
          .shell = shell,
          .prompts = prompts,
          .passwords = passwords,
          .dialogs = dialogs,
          .main = main,
          .journal = journal}))
{
    main.domain = QStringLiteral("ECOLE");
    main.server = QStringLiteral("SERVEUR1");
}

AdminFixture::~AdminFixture()
{
    dialogs.closeAll();
}

SqliteDirectory *AdminFixture::store()
{
    auto *sqlite = dynamic_cast<SqliteDirectory *>(directory.get());
    if (!sqlite)
        qFatal("the test directory is not the embedded store");
    return sqlite;
}

void AdminFixture::addUser(const QString &name, const QString &password)
{
    auto container = directory->bind(kServer);
    QVERIFY2(container, qPrintable(container.message()));
    auto user = (*container)->create(DirKind::User, name);
    QVERIFY2(user, qPrintable(user.message()));
    if (!password.isEmpty())
        QVERIFY((*user)->setPassword(password).ok());
    const Status stored = (*user)->setInfo();
    QVERIFY2(stored.ok(), qPrintable(stored.message()));
}

void AdminFixture::addGroup(const QString &name, int groupType)
{
    auto container = directory->bind(kServer);
    QVERIFY2(container, qPrintable(container.message()));
    auto group = (*container)->create(DirKind::Group, name);
    QVERIFY2(group, qPrintable(group.message()));
    QVERIFY((*group)->put(DirProperty::GroupType, groupType).ok());
    const Status stored = (*group)->setInfo();
    QVERIFY2(stored.ok(), qPrintable(stored.message()));
}

void AdminFixture::addMember(const QString &group, const QString &memberName, const QString &memberClass)
{
    auto bound = directory->bind(kServer + u'/' + group + QStringLiteral(",group"));
    QVERIFY2(bound, qPrintable(bound.message()));
    const Status added = (*bound)->add(kServer + u'/' + memberName + u',' + memberClass);
    QVERIFY2(added.ok(), qPrintable(added.message()));
    QVERIFY((*bound)->setInfo().ok());
}

void AdminFixture::lock(const QString &user)
{
    const Status locked = store()->setAccountLocked(user, true);
    QVERIFY2(locked.ok(), qPrintable(locked.message()));
}

void AdminFixture::setLastLogin(const QString &user, const QDateTime &when)
{
    const Status set = store()->setLastLogin(user, when);
    QVERIFY2(set.ok(), qPrintable(set.message()));
}

bool AdminFixture::exists(const QString &name)
{
    return FixtureHelpers::exists(*directory, kServer + u'/' + name);
}

QStringList AdminFixture::members(const QString &group)
{
    return FixtureHelpers::memberNames(*directory, kServer + u'/' + group + QStringLiteral(",group"));
}

QStringList AdminFixture::names(DirListed kind)
{
    QStringList found;
    if (auto container = directory->bind(kServer)) {
        if (const Status listed
            = (*container)->enumerate({kind}, [&found](const DirEntry &entry) { found << entry.name; });
            !listed)
            found << QStringLiteral("échec : ") + listed.message();
    }
    return found;
}

QVariant AdminFixture::property(const QString &name, DirProperty property)
{
    return FixtureHelpers::property(*directory, kServer + u'/' + name, property);
}

bool AdminFixture::passwordIs(const QString &user, const QString &password)
{
    auto matches = store()->checkPassword(user, password);
    return matches && *matches;
}

QStringList AdminFixture::journalled()
{
    auto lines
        = JournalFile::readLines(folder.paths(), JournalFile::folder(folder.paths()) + QStringLiteral("\\actions.txt"));
    QStringList shortened;
    for (const QString &line : lines ? *lines : QStringList()) {
        const QStringList fields = line.split(QStringLiteral(" ; "));
        shortened << fields.mid(2, 2).join(QStringLiteral(" ; ")) + QStringLiteral(" ; ")
                + fields.value(4).section(u' ', 0, 0);
    }
    return shortened;
}
