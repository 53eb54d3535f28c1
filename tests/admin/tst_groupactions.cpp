// Group creation and deletion and member removal from the groups panel, on the embedded store.

#include "admin/groupspanel.h"
#include "adminfixture.h"
#include "ui/formbuilder.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QString kConfirm = QStringLiteral("Etes vous sûr de vouloir supprimer ?");

struct PanelFixture : AdminFixture
{
    QWidget host;
    FormBuilder form {&host};
    GroupsPanel panel {form, services, &host};

    PanelFixture()
    {
        main.groupList = panel.grp;
        addGroup(QStringLiteral("6A"));
        addGroup(QStringLiteral("6B"));
        addUser(QStringLiteral("alice"));
        addUser(QStringLiteral("bob"));
        addMember(QStringLiteral("6A"), QStringLiteral("alice"));
        addMember(QStringLiteral("6A"), QStringLiteral("bob"));
        panel.refresh();
    }

    QStringList listed(const QListWidget *list) const
    {
        QStringList texts;
        for (int i = 0; i < list->count(); ++i)
            texts << list->item(i)->text();
        texts.sort();
        return texts;
    }
    void choose(const QString &group, const QString &member = {})
    {
        panel.grp->setCurrentItem(panel.grp->findItems(group, Qt::MatchExactly).value(0));
        if (!member.isEmpty())
            panel.util->setCurrentItem(panel.util->findItems(member, Qt::MatchExactly).value(0));
    }
    // Something changed behind the panel's back, to see whether it is fetched again.
    void addUnseenGroup() { addGroup(QStringLiteral("Nouveau")); }
    bool refreshed() const { return !panel.grp->findItems(QStringLiteral("Nouveau"), Qt::MatchExactly).isEmpty(); }
};

} // namespace

class TestGroupActions : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void createGroup_data();
    void createGroup();
    void deleteGroup_data();
    void deleteGroup();
    void removeMember_data();
    void removeMember();
};

void TestGroupActions::createGroup_data()
{
    QTest::addColumn<std::optional<QString>>("typed");
    QTest::addColumn<QString>("created"); // the group expected afterwards, or empty
    QTest::newRow("a new name") << std::optional<QString>(QStringLiteral("5C")) << QStringLiteral("5C");
    QTest::newRow("cancelled") << std::optional<QString>() << QString();
    QTest::newRow("empty name") << std::optional<QString>(QString()) << QString();
    QTest::newRow("name taken") << std::optional<QString>(QStringLiteral("6A")) << QString();
}

void TestGroupActions::createGroup()
{
    QFETCH(std::optional<QString>, typed);
    QFETCH(QString, created);
    PanelFixture f;
    f.addUnseenGroup();
    const QStringList before = f.names(DirListed::Group);
    f.prompts.answerInput(typed);

    f.panel.grpplus->click();
    QCOMPARE(f.prompts.shown.size(), 1);
    QCOMPARE(f.prompts.shown.first().kind, QStringLiteral("input"));
    QCOMPARE(f.prompts.shown.first().text, QStringLiteral("Nom du groupe global à créer: "));
    QCOMPARE(f.prompts.shown.first().title, QString());

    QStringList expected = before;
    if (!created.isEmpty()) {
        expected << created;
        QCOMPARE(f.property(created, DirProperty::GroupType).toInt(), globalGroupType);
    }
    QStringList after = f.names(DirListed::Group);
    after.sort();
    expected.sort();
    QCOMPARE(after, expected);
    // The action always ends with a refresh, which lists the new group as a global one.
    QVERIFY(f.refreshed());
    if (!created.isEmpty())
        QVERIFY(!f.panel.grp->findItems(created, Qt::MatchExactly).isEmpty());
    // Each group asked for is in the journal, made or not.
    const bool asked = typed && !typed->isEmpty();
    QCOMPARE(f.journalled(),
        asked ? QStringList {u"création d'un groupe ; "_s + *typed + (created.isEmpty() ? u" ; échec"_s : u" ; fait"_s)}
              : QStringList());
}

void TestGroupActions::deleteGroup_data()
{
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QString>("group"); // chosen before the click; empty for none
    QTest::addColumn<bool>("deleted");
    QTest::addColumn<QString>("report"); // start of the message, or empty for none
    QTest::newRow("confirmed") << true << QStringLiteral("6B") << true << QString();
    QTest::newRow("cancelled") << false << QStringLiteral("6B") << false << QString();
    QTest::newRow("no group chosen") << true << QString() << false
                                     << QStringLiteral("Le groupe «  » n'a pas été supprimé.\r");
    QTest::newRow("already gone") << true << QStringLiteral("Parti") << false
                                  << QStringLiteral("Le groupe « Parti » n'a pas été supprimé.\r");
}

void TestGroupActions::deleteGroup()
{
    QFETCH(bool, ok);
    QFETCH(QString, group);
    QFETCH(bool, deleted);
    QFETCH(QString, report);
    PanelFixture f;
    if (group == QStringLiteral("Parti")) {
        f.addGroup(group);
        f.panel.refresh();
        f.choose(group);
        auto container = f.directory->bind(QStringLiteral("WinNT://SERVEUR1"));
        QVERIFY((*container)->deleteObject(DirKind::Group, group).ok());
    } else if (!group.isEmpty()) {
        f.choose(group);
    } else {
        // A refresh after a choice leaves no group chosen, and the button usable.
        f.choose(QStringLiteral("6A"));
        f.panel.refresh();
    }
    f.addUnseenGroup();
    f.prompts.clear();
    f.prompts.answerConfirm(ok);

    f.panel.grpmoins->click();
    QVERIFY(!f.prompts.shown.isEmpty());
    QCOMPARE(f.prompts.shown.first().kind, QStringLiteral("confirm"));
    QCOMPARE(f.prompts.shown.first().text, kConfirm);
    QCOMPARE(f.prompts.shown.first().title, QStringLiteral("Velmar"));
    if (!group.isEmpty() && group != QStringLiteral("Parti"))
        QCOMPARE(f.exists(group), !deleted);
    QCOMPARE(f.exists(QStringLiteral("6A")), true);
    // Only a deletion that was done fetches the snapshot again.
    QCOMPARE(f.refreshed(), deleted);
    if (report.isEmpty()) {
        QCOMPARE(f.prompts.messages(), QStringList());
    } else {
        QCOMPARE(f.prompts.messages().size(), 1);
        QVERIFY2(f.prompts.messages().first().startsWith(report), qPrintable(f.prompts.messages().first()));
    }
    const bool tried = ok && !group.isEmpty();
    QCOMPARE(f.journalled(),
        tried ? QStringList {u"suppression d'un groupe ; "_s + group + (deleted ? u" ; fait"_s : u" ; échec"_s)}
              : QStringList());
}

void TestGroupActions::removeMember_data()
{
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QString>("member");
    QTest::addColumn<QStringList>("listed"); // util afterwards
    QTest::newRow("confirmed") << true << QStringLiteral("bob") << QStringList({QStringLiteral("alice")});
    QTest::newRow("cancelled") << false << QStringLiteral("bob")
                               << QStringList({QStringLiteral("alice"), QStringLiteral("bob")});
    // Someone else took bob out already: the removal fails in silence and the list is read again.
    QTest::newRow("not a member any more") << true << QStringLiteral("gone") << QStringList({QStringLiteral("alice")});
}

void TestGroupActions::removeMember()
{
    QFETCH(bool, ok);
    QFETCH(QString, member);
    QFETCH(QStringList, listed);
    PanelFixture f;
    f.choose(QStringLiteral("6A"), QStringLiteral("bob"));
    if (member == QStringLiteral("gone")) {
        auto group = f.directory->bind(QStringLiteral("WinNT://SERVEUR1/6A,group"));
        QVERIFY((*group)->remove(QStringLiteral("WinNT://SERVEUR1/bob")).ok());
        member = QStringLiteral("bob");
    }
    QCOMPARE(f.panel.util->currentItem()->text(), member);
    f.prompts.answerConfirm(ok);
    const qsizetype bindsBefore = f.observer->binds.size();

    f.panel.utilmoins->click();
    QVERIFY(!f.prompts.shown.isEmpty());
    if (!ok)
        QCOMPARE(f.observer->binds.size(), bindsBefore); // nothing asked of the directory
    QCOMPARE(f.prompts.shown.size(), 1);
    QCOMPARE(f.prompts.shown.first().text, kConfirm);
    QCOMPARE(f.prompts.shown.first().title, QStringLiteral("Velmar"));
    QCOMPARE(f.listed(f.panel.util), listed);
    QStringList inStore = f.members(QStringLiteral("6A"));
    inStore.sort();
    QCOMPARE(inStore, listed);
    QVERIFY(f.exists(QStringLiteral("bob"))); // the account itself stays
    if (ok)
        QCOMPARE(f.journalled().value(0).section(QStringLiteral(" ; "), 0, 1),
            QStringLiteral("retrait d'un groupe ; bob de 6A"));
    else
        QCOMPARE(f.journalled(), QStringList());
}

QTEST_MAIN(TestGroupActions)
#include "tst_groupactions.moc"
