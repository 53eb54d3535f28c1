#include "directorysuite.h"

#include <QTest>

namespace {

const QString P = QStringLiteral("WinNT://SERVEUR1");

QString path(const QString &name)
{
    return P + u'/' + name;
}

QString path(const char *name)
{
    return path(QString::fromUtf8(name));
}

// A Status as a test condition that shows the message when it fails.
#define CHECK_OK(expr)                                                                                                 \
    do {                                                                                                               \
        const auto &checked_ = (expr);                                                                                 \
        QVERIFY2(checked_.ok(), qPrintable(checked_.message()));                                                       \
    } while (false)

#define CHECK_FAILS(expr)                                                                                              \
    do {                                                                                                               \
        const auto &checked_ = (expr);                                                                                 \
        QVERIFY2(!checked_.ok(), "succeeded but should have failed");                                                  \
        QVERIFY2(!checked_.message().isEmpty(), "failed without a message");                                           \
    } while (false)

} // namespace

void DirectorySuite::init()
{
    m_dir = m_backend.make();
    QVERIFY(m_dir);
}

void DirectorySuite::cleanup()
{
    m_dir.reset();
}

DirObjectPtr DirectorySuite::container()
{
    auto bound = m_dir->bind(P);
    if (!bound) {
        qWarning("%s", qPrintable(bound.message()));
        return nullptr;
    }
    return std::move(*bound);
}

bool DirectorySuite::makeUser(const QString &name, const QString &password)
{
    auto parent = container();
    auto user = parent->create(DirKind::User, name);
    Status done = user ? (*user)->put(DirProperty::FullName, QStringLiteral("Nom de ") + name) : user.status();
    if (done && !password.isEmpty())
        done = (*user)->setPassword(password);
    if (done)
        done = (*user)->setInfo();
    if (!done)
        qWarning("%s", qPrintable(done.message()));
    return done.ok();
}

bool DirectorySuite::makeGroup(const QString &name, int groupType)
{
    auto parent = container();
    auto group = parent->create(DirKind::Group, name);
    Status done = group ? (*group)->put(DirProperty::GroupType, groupType) : group.status();
    if (done)
        done = (*group)->setInfo();
    if (!done)
        qWarning("%s", qPrintable(done.message()));
    return done.ok();
}

QStringList DirectorySuite::childNames(const QList<DirListed> &filter)
{
    QStringList names;
    auto parent = container();
    if (!parent)
        return {QStringLiteral("<no container>")};
    const Status listed = parent->enumerate(
        filter, [&](const DirEntry &entry) { names.append(entry.name + u':' + classNameOf(entry.kind)); });
    if (!listed)
        return {listed.message()};
    names.sort(Qt::CaseInsensitive);
    return names;
}

QStringList DirectorySuite::memberNames(const QString &group)
{
    auto bound = m_dir->bind(path(group) + QStringLiteral(",group"));
    if (!bound)
        return {bound.message()};
    QStringList names;
    const Status listed = (*bound)->members([&](const DirEntry &entry) { names.append(entry.name); });
    if (!listed)
        return {listed.message()};
    names.sort(Qt::CaseInsensitive);
    return names;
}

void DirectorySuite::binding_data()
{
    QTest::addColumn<QString>("adsPath");
    QTest::addColumn<QString>("className"); // empty: the bind fails
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("boundPath");

    const QString none;
    QTest::newRow("container") << P << "Domain"
                               << "SERVEUR1" << P;
    QTest::newRow("container by the domain name") << "WinNT://ECOLE"
                                                  << "Domain"
                                                  << "ECOLE"
                                                  << "WinNT://ECOLE";
    QTest::newRow("no server") << "WinNT://" << none << none << none;
    QTest::newRow("other provider") << "LDAP://SERVEUR1/Dupont" << none << none << none;
    QTest::newRow("trailing slash") << P + u'/' << none << none << none;
    QTest::newRow("user by name, other case") << path("dupont") << "User"
                                              << "Dupont" << path("Dupont");
    QTest::newRow("user fixed") << path("DUPONT,user") << "User"
                                << "Dupont" << path("Dupont");
    QTest::newRow("user fixed, class in other case") << path("Dupont,User") << "User"
                                                     << "Dupont" << path("Dupont");
    QTest::newRow("user as group") << path("Dupont,group") << none << none << none;
    QTest::newRow("group by name") << path("6a") << "Group"
                                   << "6A" << path("6A");
    QTest::newRow("group fixed") << path("6A,group") << "Group"
                                 << "6A" << path("6A");
    QTest::newRow("group as user") << path("6A,user") << none << none << none;
    QTest::newRow("unknown class suffix") << path("Dupont,computer") << none << none << none;
    QTest::newRow("missing") << path("Martin") << none << none << none;
    QTest::newRow("deeper path") << path("Dupont/x") << none << none << none;
    QTest::newRow("through another name") << "WinNT://ECOLE/dupont"
                                          << "User"
                                          << "Dupont"
                                          << "WinNT://ECOLE/Dupont";
}

void DirectorySuite::binding()
{
    QFETCH(QString, adsPath);
    QFETCH(QString, className);
    QFETCH(QString, name);
    QFETCH(QString, boundPath);
    QVERIFY(makeUser(QStringLiteral("Dupont")));
    QVERIFY(makeGroup(QStringLiteral("6A")));

    auto bound = m_dir->bind(adsPath);
    if (className.isEmpty()) {
        CHECK_FAILS(bound);
        return;
    }
    CHECK_OK(bound);
    QCOMPARE((*bound)->className(), className);
    QCOMPARE((*bound)->name(), name);
    QCOMPARE((*bound)->adsPath(), boundPath);
    if (className != QStringLiteral("Domain")) {
        QCOMPARE((*bound)->get(DirProperty::Name)->toString(), name);
        QCOMPARE((*bound)->get(DirProperty::ADsPath)->toString(), boundPath);
        QCOMPARE((*bound)->get(DirProperty::Class)->toString(), className);
    }
}

void DirectorySuite::pendingObjectInvisibleUntilSetInfo()
{
    QVERIFY(makeGroup(QStringLiteral("eleves")));
    auto parent = container();
    auto user = parent->create(DirKind::User, QStringLiteral("Durand"));
    CHECK_OK(user);
    CHECK_OK((*user)->put(DirProperty::FullName, QStringLiteral("Durand Léa")));
    CHECK_OK((*user)->put(DirProperty::Description, QStringLiteral("Élève de 6A")));
    CHECK_OK((*user)->setPassword(QStringLiteral("Lecture-24")));
    // The handle answers from its pending changes...
    QCOMPARE((*user)->get(DirProperty::FullName)->toString(), QStringLiteral("Durand Léa"));

    // ...but nobody else sees the object.
    CHECK_FAILS(m_dir->bind(path("Durand")));
    CHECK_FAILS(m_dir->bind(path("Durand,user")));
    QCOMPARE(childNames({}), QStringList {QStringLiteral("eleves:Group")});
    auto eleves = m_dir->bind(path("eleves,group"));
    CHECK_OK(eleves);
    CHECK_FAILS((*eleves)->add(path("Durand")));
    CHECK_FAILS(m_backend.checkPassword(*m_dir, QStringLiteral("Durand"), QStringLiteral("Lecture-24")));

    CHECK_OK((*user)->setInfo());
    auto bound = m_dir->bind(path("durand,user"));
    CHECK_OK(bound);
    QCOMPARE((*bound)->get(DirProperty::FullName)->toString(), QStringLiteral("Durand Léa"));
    QCOMPARE((*bound)->get(DirProperty::Description)->toString(), QStringLiteral("Élève de 6A"));
    QCOMPARE(childNames({}), (QStringList {QStringLiteral("Durand:User"), QStringLiteral("eleves:Group")}));
    QCOMPARE(*m_backend.checkPassword(*m_dir, QStringLiteral("Durand"), QStringLiteral("Lecture-24")), true);
    // The handle that created it now works on the stored object.
    CHECK_OK((*user)->put(DirProperty::LoginScript, QStringLiteral("6A.bat")));
    CHECK_OK((*user)->setInfo());
    QCOMPARE((*bound)->get(DirProperty::LoginScript)->toString(), QStringLiteral("6A.bat"));
    QCOMPARE(childNames({}).size(), 2);
}

void DirectorySuite::names_data()
{
    QTest::addColumn<DirKind>("kind");
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("accepted");

    QTest::newRow("plain user") << DirKind::User << "dupontjean" << true;
    QTest::newRow("accents and apostrophe") << DirKind::User << "6Ad'Hérouvil" << true;
    QTest::newRow("inner space and dot") << DirKind::User << "jean.du pont" << true;
    QTest::newRow("user of 20") << DirKind::User << QString(20, u'a') << true;
    QTest::newRow("user of 21") << DirKind::User << QString(21, u'a') << false;
    QTest::newRow("group of 21") << DirKind::Group << QString(21, u'g') << true;
    QTest::newRow("group with spaces") << DirKind::Group << "Terminale S 2" << true;
    QTest::newRow("empty") << DirKind::User << "" << false;
    QTest::newRow("empty group") << DirKind::Group << "" << false;
    QTest::newRow("only spaces") << DirKind::Group << "   " << false;
    QTest::newRow("ends with a dot") << DirKind::User << "dupont." << false;
    QTest::newRow("group ends with a dot") << DirKind::Group << "6A." << false;
    QTest::newRow("control character") << DirKind::User << "a\tb" << false;
    const QString forbidden = QStringLiteral("\"/\\[]:;|=,+*?<>");
    for (const QChar c : forbidden)
        QTest::newRow(qPrintable(QStringLiteral("forbidden %1").arg(c)))
            << DirKind::User << QStringLiteral("ab%1c").arg(c) << false;
    QTest::newRow("forbidden in group") << DirKind::Group << "6A/B" << false;
    QTest::newRow("the container") << DirKind::Container << "poste1" << false;
}

void DirectorySuite::names()
{
    QFETCH(DirKind, kind);
    QFETCH(QString, name);
    QFETCH(bool, accepted);

    auto parent = container();
    auto created = parent->create(kind, name);
    Status stored = created ? (*created)->setInfo() : created.status();
    QCOMPARE(stored.ok(), accepted);
    if (!accepted) {
        QVERIFY(!stored.message().isEmpty());
        QCOMPARE(childNames({}), QStringList());
    } else {
        QCOMPARE(childNames({}), QStringList {name + u':' + classNameOf(kind)});
    }
}

void DirectorySuite::duplicatesRegardlessOfCase_data()
{
    QTest::addColumn<DirKind>("firstKind");
    QTest::addColumn<QString>("first");
    QTest::addColumn<DirKind>("secondKind");
    QTest::addColumn<QString>("second");

    QTest::newRow("same user") << DirKind::User << "dupont" << DirKind::User << "dupont";
    QTest::newRow("user, other case") << DirKind::User << "dupont" << DirKind::User << "DuPont";
    QTest::newRow("accented, other case") << DirKind::User << "élodie" << DirKind::User << "ÉLODIE";
    QTest::newRow("group after user") << DirKind::User << "dupont" << DirKind::Group << "DUPONT";
    QTest::newRow("user after group") << DirKind::Group << "profs" << DirKind::User << "Profs";
    QTest::newRow("same group") << DirKind::Group << "6A" << DirKind::Group << "6a";
}

void DirectorySuite::duplicatesRegardlessOfCase()
{
    QFETCH(DirKind, firstKind);
    QFETCH(QString, first);
    QFETCH(DirKind, secondKind);
    QFETCH(QString, second);

    auto parent = container();
    auto one = parent->create(firstKind, first);
    CHECK_OK(one);
    CHECK_OK((*one)->setInfo());

    auto two = parent->create(secondKind, second);
    const Status stored = two ? (*two)->setInfo() : two.status();
    QVERIFY(!stored.ok());
    QVERIFY2(stored.message().contains(second), qPrintable(stored.message()));
    QCOMPARE(childNames({}), QStringList {first + u':' + classNameOf(firstKind)});
}

void DirectorySuite::losingRaceAtSetInfoStoresNothing()
{
    // Two pending objects of the same name: the first stored wins, the second stores nothing at
    // all, neither its own object nor its properties or password on the winner.
    auto parent = container();
    auto one = parent->create(DirKind::User, QStringLiteral("martin"));
    auto two = parent->create(DirKind::User, QStringLiteral("MARTIN"));
    CHECK_OK(one);
    CHECK_OK(two);
    CHECK_OK((*one)->put(DirProperty::FullName, QStringLiteral("Martin Un")));
    CHECK_OK((*one)->setPassword(QStringLiteral("Premier-01")));
    CHECK_OK((*two)->put(DirProperty::FullName, QStringLiteral("Martin Deux")));
    CHECK_OK((*two)->put(DirProperty::HomeDirectory, QStringLiteral("\\\\SERVEUR1\\martin$")));
    CHECK_OK((*two)->setPassword(QStringLiteral("Second-02")));
    CHECK_OK((*one)->setInfo());
    CHECK_FAILS((*two)->setInfo());

    QCOMPARE(childNames({}), QStringList {QStringLiteral("martin:User")});
    auto stored = m_dir->bind(path("martin,user"));
    CHECK_OK(stored);
    QCOMPARE((*stored)->get(DirProperty::FullName)->toString(), QStringLiteral("Martin Un"));
    QCOMPARE((*stored)->get(DirProperty::HomeDirectory)->toString(), QString());
    QCOMPARE(*m_backend.checkPassword(*m_dir, QStringLiteral("martin"), QStringLiteral("Premier-01")), true);
    QCOMPARE(*m_backend.checkPassword(*m_dir, QStringLiteral("martin"), QStringLiteral("Second-02")), false);
}

void DirectorySuite::properties()
{
    auto parent = container();
    auto user = parent->create(DirKind::User, QStringLiteral("6Adurandlea"));
    CHECK_OK(user);
    const QList<std::pair<DirProperty, QString>> texts = {
        {DirProperty::FullName, QStringLiteral("DURAND Léa")},
        {DirProperty::Description, QStringLiteral("Élève de 6A, « déléguée »")},
        {DirProperty::HomeDirectory, QStringLiteral("\\\\SERVEUR1\\6Adurandlea$")},
        {DirProperty::LoginScript, QStringLiteral("6A.bat")},
    };
    for (const auto &[name, value] : texts)
        CHECK_OK((*user)->put(name, value));
    CHECK_OK((*user)->setInfo());

    auto bound = m_dir->bind(path("6ADURANDLEA,user"));
    CHECK_OK(bound);
    for (const auto &[name, value] : texts)
        QCOMPARE((*bound)->get(name)->toString(), value);
    QCOMPARE((*bound)->get(DirProperty::IsAccountLocked)->toBool(), false);
    QVERIFY(!(*bound)->get(DirProperty::LastLogin)->toDateTime().isValid());

    // Rewriting one property leaves the others as they were.
    CHECK_OK((*bound)->put(DirProperty::Description, QString()));
    CHECK_OK((*bound)->setInfo());
    auto again = m_dir->bind(path("6Adurandlea"));
    QCOMPARE((*again)->get(DirProperty::Description)->toString(), QString());
    QCOMPARE((*again)->get(DirProperty::LoginScript)->toString(), QStringLiteral("6A.bat"));

    // Groups: global unless told otherwise, and what was put is what is read.
    QVERIFY(makeGroup(QStringLiteral("locaux"), domainLocalGroupType));
    auto plain = parent->create(DirKind::Group, QStringLiteral("sans_type"));
    CHECK_OK(plain);
    CHECK_OK((*plain)->setInfo());
    QCOMPARE((*m_dir->bind(path("locaux,group")))->get(DirProperty::GroupType)->toInt(), domainLocalGroupType);
    QCOMPARE((*m_dir->bind(path("sans_type,group")))->get(DirProperty::GroupType)->toInt(), globalGroupType);
}

void DirectorySuite::refusedPuts_data()
{
    QTest::addColumn<QString>("target"); // "user" or "group"
    QTest::addColumn<DirProperty>("property");
    QTest::addColumn<QVariant>("value");

    QTest::newRow("read-only Name") << "user" << DirProperty::Name << QVariant(QStringLiteral("autre"));
    QTest::newRow("read-only LastLogin") << "user" << DirProperty::LastLogin << QVariant(QDateTime::currentDateTime());
    QTest::newRow("locking by hand") << "user" << DirProperty::IsAccountLocked << QVariant(true);
    QTest::newRow("groupType on a user") << "user" << DirProperty::GroupType << QVariant(globalGroupType);
    QTest::newRow("groupType not a number") << "group" << DirProperty::GroupType << QVariant(QStringLiteral("global"));
    QTest::newRow("groupType unknown") << "group" << DirProperty::GroupType << QVariant(7);
    QTest::newRow("login script on a group")
        << "group" << DirProperty::LoginScript << QVariant(QStringLiteral("x.bat"));
}

void DirectorySuite::refusedPuts()
{
    QFETCH(QString, target);
    QFETCH(DirProperty, property);
    QFETCH(QVariant, value);
    QVERIFY(makeUser(QStringLiteral("dupont")));
    QVERIFY(makeGroup(QStringLiteral("6A")));
    auto bound = m_dir->bind(target == QStringLiteral("user") ? path("dupont,user") : path("6A,group"));
    CHECK_OK(bound);

    const Status put = (*bound)->put(property, value);
    Status stored = put.ok() ? (*bound)->setInfo() : put;
    QVERIFY(!stored.ok());
    QVERIFY(!stored.message().isEmpty());
    // A group has no password either.
    if (target == QStringLiteral("group"))
        CHECK_FAILS((*bound)->setPassword(QStringLiteral("x")));
}

void DirectorySuite::readsGoToTheStore()
{
    QVERIFY(makeUser(QStringLiteral("dupont")));
    auto reader = m_dir->bind(path("dupont,user"));
    auto writer = m_dir->bind(path("dupont,user"));
    CHECK_OK(reader);
    CHECK_OK(writer);
    CHECK_OK((*writer)->put(DirProperty::Description, QStringLiteral("Professeur")));
    QCOMPARE((*reader)->get(DirProperty::Description)->toString(), QString()); // pending is private
    CHECK_OK((*writer)->setInfo());
    QCOMPARE((*reader)->get(DirProperty::Description)->toString(), QStringLiteral("Professeur"));

    // A handle outlives its object only to report that it is gone.
    CHECK_OK(container()->deleteObject(DirKind::User, QStringLiteral("dupont")));
    CHECK_FAILS((*reader)->get(DirProperty::Description));
    CHECK_OK((*reader)->put(DirProperty::Description, QStringLiteral("x")));
    CHECK_FAILS((*reader)->setInfo());
    QCOMPARE(childNames({}), QStringList());
}

void DirectorySuite::filters_data()
{
    QTest::addColumn<QList<DirListed>>("filter");
    QTest::addColumn<QStringList>("expected");

    const QString dupont = QStringLiteral("dupont:User");
    const QString martin = QStringLiteral("Martin:User");
    const QString sixA = QStringLiteral("6A:Group");
    const QString profs = QStringLiteral("profs:Group");
    const QString locaux = QStringLiteral("locaux:Group");
    QTest::newRow("unfiltered") << QList<DirListed>() << QStringList {sixA, dupont, locaux, martin, profs};
    QTest::newRow("User") << QList {DirListed::User} << QStringList {dupont, martin};
    QTest::newRow("GlobalGroup") << QList {DirListed::GlobalGroup} << QStringList {sixA, profs};
    QTest::newRow("Group") << QList {DirListed::Group} << QStringList {sixA, locaux, profs};
    QTest::newRow("User and GlobalGroup")
        << QList {DirListed::User, DirListed::GlobalGroup} << QStringList {sixA, dupont, martin, profs};
}

void DirectorySuite::filters()
{
    QFETCH(QList<DirListed>, filter);
    QFETCH(QStringList, expected);
    QVERIFY(makeUser(QStringLiteral("dupont")));
    QVERIFY(makeUser(QStringLiteral("Martin")));
    QVERIFY(makeGroup(QStringLiteral("6A")));
    QVERIFY(makeGroup(QStringLiteral("profs")));
    QVERIFY(makeGroup(QStringLiteral("locaux"), domainLocalGroupType));

    QCOMPARE(childNames(filter), expected);

    // Entries carry paths that bind, through the name the container was bound with.
    auto parent = m_dir->bind(QStringLiteral("WinNT://ECOLE"));
    CHECK_OK(parent);
    QStringList paths;
    CHECK_OK((*parent)->enumerate(filter, [&](const DirEntry &entry) { paths.append(entry.adsPath); }));
    QCOMPARE(paths.size(), expected.size());
    for (const QString &adsPath : std::as_const(paths)) {
        QVERIFY2(adsPath.startsWith(QStringLiteral("WinNT://ECOLE/")), qPrintable(adsPath));
        CHECK_OK(m_dir->bind(adsPath));
    }

    // Only the container enumerates.
    auto user = m_dir->bind(path("dupont"));
    CHECK_FAILS((*user)->enumerate({}, [](const DirEntry &) {}));
}

void DirectorySuite::deletion()
{
    QVERIFY(makeUser(QStringLiteral("dupont")));
    QVERIFY(makeGroup(QStringLiteral("6A")));
    auto parent = container();

    CHECK_FAILS(parent->deleteObject(DirKind::User, QStringLiteral("martin")));
    CHECK_FAILS(parent->deleteObject(DirKind::Group, QStringLiteral("dupont")));
    CHECK_FAILS(parent->deleteObject(DirKind::User, QStringLiteral("6A")));
    CHECK_FAILS(parent->deleteObject(DirKind::Container, QStringLiteral("dupont")));
    QCOMPARE(childNames({}).size(), 2);

    CHECK_OK(parent->deleteObject(DirKind::User, QStringLiteral("DUPONT")));
    CHECK_OK(parent->deleteObject(DirKind::Group, QStringLiteral("6a")));
    QCOMPARE(childNames({}), QStringList());
    CHECK_FAILS(m_dir->bind(path("dupont")));
    CHECK_FAILS(parent->deleteObject(DirKind::User, QStringLiteral("dupont")));

    // The name is free again.
    QVERIFY(makeGroup(QStringLiteral("Dupont")));
}

void DirectorySuite::deletingUserDropsMemberships()
{
    QVERIFY(makeUser(QStringLiteral("dupont")));
    QVERIFY(makeUser(QStringLiteral("martin")));
    QVERIFY(makeGroup(QStringLiteral("6A")));
    QVERIFY(makeGroup(QStringLiteral("eleves")));
    for (const QString &group : {QStringLiteral("6A"), QStringLiteral("eleves")}) {
        auto bound = m_dir->bind(path(group) + QStringLiteral(",group"));
        for (const QString &user : {QStringLiteral("dupont"), QStringLiteral("martin")}) {
            CHECK_OK((*bound)->add(path(user)));
            CHECK_OK((*bound)->setInfo());
        }
    }
    CHECK_OK(container()->deleteObject(DirKind::User, QStringLiteral("dupont")));
    QCOMPARE(memberNames(QStringLiteral("6A")), QStringList {QStringLiteral("martin")});
    QCOMPARE(memberNames(QStringLiteral("eleves")), QStringList {QStringLiteral("martin")});

    // A user of the same name made later starts with no group.
    QVERIFY(makeUser(QStringLiteral("Dupont")));
    QCOMPARE(memberNames(QStringLiteral("6A")), QStringList {QStringLiteral("martin")});
}

void DirectorySuite::membership()
{
    QVERIFY(makeUser(QStringLiteral("dupont")));
    QVERIFY(makeUser(QStringLiteral("Martin")));
    QVERIFY(makeGroup(QStringLiteral("6A")));
    QVERIFY(makeGroup(QStringLiteral("profs")));
    auto group = m_dir->bind(QStringLiteral("WinNT://ECOLE/6A,group"));
    CHECK_OK(group);
    QCOMPARE(memberNames(QStringLiteral("6A")), QStringList());

    CHECK_OK((*group)->add(path("dupont,user")));
    CHECK_OK((*group)->setInfo());
    // Any form of the member's path will do, in any case.
    CHECK_OK((*group)->add(QStringLiteral("WinNT://AUTRE/MARTIN")));
    CHECK_OK((*group)->add(path("profs,group")));
    CHECK_OK((*group)->setInfo());

    QList<DirEntry> members;
    CHECK_OK((*group)->members([&](const DirEntry &entry) { members.append(entry); }));
    QCOMPARE(members.size(), 3);
    std::sort(members.begin(), members.end(),
        [](const DirEntry &a, const DirEntry &b) { return a.name.compare(b.name, Qt::CaseInsensitive) < 0; });
    QCOMPARE(members[0].name, QStringLiteral("dupont"));
    QCOMPARE(members[0].kind, DirKind::User);
    QCOMPARE(members[0].adsPath, QStringLiteral("WinNT://ECOLE/dupont")); // through the group's own binding
    QCOMPARE(members[1].name, QStringLiteral("Martin"));
    QCOMPARE(members[2].name, QStringLiteral("profs"));
    QCOMPARE(members[2].kind, DirKind::Group);
    // Members' paths are the ones add and remove take.
    CHECK_OK((*group)->remove(members[1].adsPath));
    CHECK_OK((*group)->setInfo());
    QCOMPARE(memberNames(QStringLiteral("6A")), (QStringList {QStringLiteral("dupont"), QStringLiteral("profs")}));
    QCOMPARE(memberNames(QStringLiteral("profs")), QStringList());
}

void DirectorySuite::membershipFailures_data()
{
    QTest::addColumn<QString>("operation"); // "add" or "remove"
    QTest::addColumn<QString>("group"); // path bound as the group
    QTest::addColumn<QString>("member");

    QTest::newRow("add twice") << "add" << path("6A,group") << path("dupont");
    QTest::newRow("add twice, other case") << "add" << path("6A,group") << path("DUPONT,user");
    QTest::newRow("add missing user") << "add" << path("6A,group") << path("inconnu");
    QTest::newRow("add user path naming a group") << "add" << path("6A,group") << path("profs,user");
    QTest::newRow("add a malformed path") << "add" << path("6A,group") << "dupont";
    QTest::newRow("add the container") << "add" << path("6A,group") << P;
    QTest::newRow("add group to itself") << "add" << path("profs,group") << path("profs");
    QTest::newRow("add to a user") << "add" << path("martin,user") << path("dupont");
    QTest::newRow("remove non-member") << "remove" << path("6A,group") << path("martin");
    QTest::newRow("remove missing user") << "remove" << path("6A,group") << path("inconnu");
    QTest::newRow("remove from a user") << "remove" << path("martin,user") << path("dupont");
}

void DirectorySuite::membershipFailures()
{
    QFETCH(QString, operation);
    QFETCH(QString, group);
    QFETCH(QString, member);
    QVERIFY(makeUser(QStringLiteral("dupont")));
    QVERIFY(makeUser(QStringLiteral("martin")));
    QVERIFY(makeGroup(QStringLiteral("6A")));
    QVERIFY(makeGroup(QStringLiteral("profs")));
    auto sixA = m_dir->bind(path("6A,group"));
    CHECK_OK((*sixA)->add(path("dupont")));
    CHECK_OK((*sixA)->setInfo());

    auto bound = m_dir->bind(group);
    CHECK_OK(bound);
    if (operation == QStringLiteral("add"))
        CHECK_FAILS((*bound)->add(member));
    else
        CHECK_FAILS((*bound)->remove(member));
    QCOMPARE(memberNames(QStringLiteral("6A")), QStringList {QStringLiteral("dupont")});
    QCOMPARE(memberNames(QStringLiteral("profs")), QStringList());
    // Users have no members.
    CHECK_FAILS((*m_dir->bind(path("dupont")))->members([](const DirEntry &) {}));
}

void DirectorySuite::lockAndLastLogin()
{
    QVERIFY(makeUser(QStringLiteral("dupont")));
    QVERIFY(makeGroup(QStringLiteral("6A")));
    CHECK_FAILS(m_backend.setLocked(*m_dir, QStringLiteral("inconnu"), true));
    CHECK_FAILS(m_backend.setLocked(*m_dir, QStringLiteral("6A"), true));

    auto user = m_dir->bind(path("dupont,user"));
    CHECK_OK(m_backend.setLocked(*m_dir, QStringLiteral("Dupont"), true));
    QCOMPARE((*user)->get(DirProperty::IsAccountLocked)->toBool(), true);
    CHECK_OK((*user)->put(DirProperty::IsAccountLocked, false));
    QCOMPARE((*m_dir->bind(path("dupont")))->get(DirProperty::IsAccountLocked)->toBool(), true);
    CHECK_OK((*user)->setInfo());
    QCOMPARE((*m_dir->bind(path("dupont")))->get(DirProperty::IsAccountLocked)->toBool(), false);

    QVERIFY(!(*user)->get(DirProperty::LastLogin)->toDateTime().isValid());
    const QDateTime when(QDate(2024, 3, 18), QTime(8, 5, 12));
    CHECK_OK(m_backend.setLastLogin(*m_dir, QStringLiteral("DUPONT"), when));
    QCOMPARE((*user)->get(DirProperty::LastLogin)->toDateTime(), when);
    CHECK_FAILS(m_backend.setLastLogin(*m_dir, QStringLiteral("inconnu"), when));
}

void DirectorySuite::passwords()
{
    QVERIFY(makeUser(QStringLiteral("dupont"), QStringLiteral("K7x2pq-9")));
    QVERIFY(makeUser(QStringLiteral("sansmdp")));
    const auto check = [&](const QString &user, const QString &password) {
        auto checked = m_backend.checkPassword(*m_dir, user, password);
        return checked.ok() && *checked;
    };
    QVERIFY(check(QStringLiteral("dupont"), QStringLiteral("K7x2pq-9")));
    QVERIFY(check(QStringLiteral("DUPONT"), QStringLiteral("K7x2pq-9")));
    QVERIFY(!check(QStringLiteral("dupont"), QStringLiteral("k7X2PQ-9")));
    QVERIFY(!check(QStringLiteral("dupont"), QString()));
    // An account made without a password has the empty one.
    QVERIFY(check(QStringLiteral("sansmdp"), QString()));
    QVERIFY(!check(QStringLiteral("sansmdp"), QStringLiteral("x")));
    CHECK_FAILS(m_backend.checkPassword(*m_dir, QStringLiteral("inconnu"), QStringLiteral("x")));

    auto user = m_dir->bind(path("dupont,user"));
    CHECK_OK((*user)->setPassword(QStringLiteral("Été-2024 ç")));
    QVERIFY(check(QStringLiteral("dupont"), QStringLiteral("K7x2pq-9"))); // pending until setInfo
    CHECK_OK((*user)->setInfo());
    QVERIFY(check(QStringLiteral("dupont"), QStringLiteral("Été-2024 ç")));
    QVERIFY(!check(QStringLiteral("dupont"), QStringLiteral("K7x2pq-9")));
}

void DirectorySuite::groupPasswordPolicy()
{
    // Six lower-case letters and digits, as the pupils' generated passwords are.
    PasswordPolicy settings;
    settings.minimumLength = 6;
    const QString alphabet = QStringLiteral("abcdefghijklmnopqrstuvwxyz123456789");
    QVERIFY(makeGroup(QStringLiteral("eleves")));
    QVERIFY(makeUser(QStringLiteral("6Adurand")));

    auto first = m_dir->ensureGroupPasswordPolicy(QStringLiteral("eleves"), settings);
    CHECK_OK(first);
    // Made once at most: the second time finds it there.
    auto second = m_dir->ensureGroupPasswordPolicy(QStringLiteral("eleves"), settings);
    CHECK_OK(second);
    QCOMPARE(*second, false);
    auto policy = m_dir->passwordPolicyOfMembers(QStringLiteral("eleves"));
    CHECK_OK(policy);
    QVERIFY2(policy->admits(6, alphabet), qPrintable(policy->origin() + u' ' + policy->demands()));
    QVERIFY(policy->minimumLength <= 6);
    QVERIFY(!policy->complexity);

    // A member takes such a password.
    auto eleves = m_dir->bind(path("eleves,group"));
    CHECK_OK((*eleves)->add(path("6Adurand,user")));
    CHECK_OK((*eleves)->setInfo());
    auto user = m_dir->bind(path("6Adurand,user"));
    CHECK_OK((*user)->setPassword(QStringLiteral("k7x2pq")));
    CHECK_OK((*user)->setInfo());
    QCOMPARE(*m_backend.checkPassword(*m_dir, QStringLiteral("6Adurand"), QStringLiteral("k7x2pq")), true);
}
