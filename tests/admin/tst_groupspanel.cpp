// The groups panel on its own: the snapshot of groups and accounts, the members of a group, the
// details of a member, and which buttons each action enables.

#include "admin/ajoutusergrp.h"
#include "admin/ajoututilform.h"
#include "admin/groupspanel.h"
#include "admin/suputilform.h"
#include "adminfixture.h"
#include "ui/formbuilder.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

namespace {

struct PanelFixture : AdminFixture
{
    QWidget host;
    FormBuilder form {&host};
    GroupsPanel panel;

    explicit PanelFixture(int userCountCap = GroupsPanel::kUserCountCap)
        : panel(form, services, &host, userCountCap)
    {
        main.groupList = panel.grp;
    }

    QStringList listed(const QListWidget *list) const
    {
        QStringList texts;
        for (int i = 0; i < list->count(); ++i)
            texts << list->item(i)->text();
        return texts;
    }
    void choose(const QString &group)
    {
        const auto found = panel.grp->findItems(group, Qt::MatchExactly);
        QVERIFY(!found.isEmpty());
        panel.grp->setCurrentItem(found.first());
    }
    // Which of the five buttons under the lists are enabled, as a word: grpmoins, grpplus,
    // utilmoins, cmd_infouser, utilplus.
    QString enabled() const
    {
        QString flags;
        for (const QPushButton *b : {panel.grpmoins, panel.grpplus, panel.utilmoins, panel.cmdInfouser, panel.utilplus})
            flags += b->isEnabled() ? u'1' : u'0';
        return flags;
    }
};

} // namespace

class TestGroupsPanel : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void startsWithOnlyRefreshEnabled();
    void refreshListsEachGlobalGroupOnce();
    void refreshShowsLoadingWhileListing();
    void refreshKeepsMembersAndButtons();
    void userCountStopsAtCap_data();
    void userCountStopsAtCap();
    void refreshWithUnreachableParts_data();
    void refreshWithUnreachableParts();
    void chooseGroupListsUserMembersOnly_data();
    void chooseGroupListsUserMembersOnly();
    void chooseGroupStopsAndReports();
    void chooseGroupKeepsMembersReadBeforeFailure();
    void clickOnChosenGroupListsAgain();
    void chooseMemberEnablesItsButtons();
    void details_data();
    void details();
    void buttonsOpenTheirDialogs();
};

void TestGroupsPanel::startsWithOnlyRefreshEnabled()
{
    PanelFixture f;
    QCOMPARE(f.enabled(), QStringLiteral("00000"));
    QVERIFY(f.panel.grputil->isEnabled());
    QVERIFY(f.panel.ajoututil->isEnabled());
    QVERIFY(f.panel.suputil->isEnabled());
    QVERIFY(f.panel.lblUsers->isHidden());
}

void TestGroupsPanel::refreshListsEachGlobalGroupOnce()
{
    PanelFixture f;
    f.addGroup(QStringLiteral("6A"));
    f.addGroup(QStringLiteral("6B"));
    f.addGroup(QStringLiteral("Locaux"), domainLocalGroupType); // a local group is not listed
    f.addUser(QStringLiteral("alice"));
    f.addUser(QStringLiteral("bob"));

    const QStringList global = f.names(DirListed::GlobalGroup);
    QCOMPARE(global.size(), 2);
    for (int round = 0; round < 2; ++round) {
        f.panel.refresh();
        QCOMPARE(f.listed(f.panel.grp), global);
    }
    QCOMPARE(f.panel.grputil->text(), QStringLiteral("Rappatrier Groupes et Utilisateurs actuels"));
    QVERIFY(!f.panel.lblUsers->isHidden());
    // Groups are children of the domain too, but only accounts are users.
    QCOMPARE(f.panel.lblUsers->text(), QStringLiteral("Utilisateurs : 2"));
    QCOMPARE(f.enabled(), QStringLiteral("01001"));
    QVERIFY(f.prompts.shown.isEmpty());
}

void TestGroupsPanel::refreshShowsLoadingWhileListing()
{
    PanelFixture f;
    f.addGroup(QStringLiteral("6A"));
    QStringList captions;
    f.observer->onBind = [&](const QString &) { captions << f.panel.grputil->text(); };
    f.panel.refresh();
    // The groups are read under "Chargement...", the domain's accounts under the new caption.
    QCOMPARE(captions,
        QStringList({QStringLiteral("Chargement..."), QStringLiteral("Rappatrier Groupes et Utilisateurs actuels")}));
    QCOMPARE(f.observer->binds, QStringList({QStringLiteral("WinNT://SERVEUR1"), QStringLiteral("WinNT://ECOLE")}));
}

void TestGroupsPanel::refreshKeepsMembersAndButtons()
{
    PanelFixture f;
    f.addGroup(QStringLiteral("6A"));
    f.addUser(QStringLiteral("alice"));
    f.addMember(QStringLiteral("6A"), QStringLiteral("alice"));
    f.panel.refresh();
    f.choose(QStringLiteral("6A"));
    f.panel.util->setCurrentRow(0);
    QCOMPARE(f.enabled(), QStringLiteral("11111"));

    f.panel.refresh();
    QCOMPARE(f.listed(f.panel.util), QStringList({QStringLiteral("alice")}));
    QVERIFY(f.panel.grp->currentItem() == nullptr);
    QCOMPARE(f.enabled(), QStringLiteral("11111")); // nothing disables a button again
}

void TestGroupsPanel::userCountStopsAtCap_data()
{
    QTest::addColumn<int>("accounts");
    QTest::addColumn<int>("shown");
    QTest::newRow("none") << 0 << 0;
    QTest::newRow("below the cap") << 2 << 2;
    QTest::newRow("at the cap") << 3 << 3;
    QTest::newRow("past the cap") << 5 << 3;
}

void TestGroupsPanel::userCountStopsAtCap()
{
    QFETCH(int, accounts);
    QFETCH(int, shown);
    PanelFixture f(3);
    for (int i = 0; i < accounts; ++i)
        f.addUser(QStringLiteral("compte%1").arg(i));
    f.panel.refresh();
    QCOMPARE(f.panel.lblUsers->text(), QStringLiteral("Utilisateurs : %1").arg(shown));
}

void TestGroupsPanel::refreshWithUnreachableParts_data()
{
    QTest::addColumn<QString>("domain");
    QTest::addColumn<QString>("server");
    QTest::addColumn<int>("groups");
    QTest::addColumn<QString>("count");
    QTest::newRow("both") << QStringLiteral("ECOLE") << QStringLiteral("SERVEUR1") << 1
                          << QStringLiteral("Utilisateurs : 1");
    QTest::newRow("no domain name") << QString() << QStringLiteral("SERVEUR1") << 1
                                    << QStringLiteral("Utilisateurs : 0");
    QTest::newRow("no server name") << QStringLiteral("ECOLE") << QString() << 0 << QStringLiteral("Utilisateurs : 1");
}

void TestGroupsPanel::refreshWithUnreachableParts()
{
    QFETCH(QString, domain);
    QFETCH(QString, server);
    QFETCH(int, groups);
    QFETCH(QString, count);
    PanelFixture f;
    f.addGroup(QStringLiteral("6A"));
    f.addUser(QStringLiteral("alice"));
    f.main.domain = domain;
    f.main.server = server;
    f.panel.refresh();
    // A step that cannot be done is passed over in silence; the rest is still shown.
    QCOMPARE(f.panel.grp->count(), groups);
    QCOMPARE(f.panel.lblUsers->text(), count);
    QCOMPARE(f.enabled(), QStringLiteral("01001"));
    QVERIFY(f.prompts.shown.isEmpty());
}

void TestGroupsPanel::chooseGroupListsUserMembersOnly_data()
{
    QTest::addColumn<QString>("group");
    QTest::addColumn<QStringList>("members");
    QTest::newRow("users and a group") << QStringLiteral("6A")
                                       << QStringList({QStringLiteral("alice"), QStringLiteral("bob")});
    QTest::newRow("only a group") << QStringLiteral("6B") << QStringList();
    QTest::newRow("empty") << QStringLiteral("Vide") << QStringList();
}

void TestGroupsPanel::chooseGroupListsUserMembersOnly()
{
    QFETCH(QString, group);
    QFETCH(QStringList, members);
    PanelFixture f;
    for (const char *name : {"6A", "6B", "Vide", "profs"})
        f.addGroup(QString::fromLatin1(name));
    f.addUser(QStringLiteral("alice"));
    f.addUser(QStringLiteral("bob"));
    f.addMember(QStringLiteral("6A"), QStringLiteral("alice"));
    f.addMember(QStringLiteral("6A"), QStringLiteral("profs"), QStringLiteral("group"));
    f.addMember(QStringLiteral("6A"), QStringLiteral("bob"));
    f.addMember(QStringLiteral("6B"), QStringLiteral("profs"), QStringLiteral("group"));
    f.panel.refresh();
    f.panel.util->addItem(QStringLiteral("reste d'avant"));

    f.choose(group);
    QStringList got = f.listed(f.panel.util);
    got.sort();
    QCOMPARE(got, members);
    QCOMPARE(f.enabled(), QStringLiteral("11001"));
    QCOMPARE(f.observer->binds.last(), QStringLiteral("WinNT://SERVEUR1/") + group);
    QVERIFY(f.prompts.shown.isEmpty());
}

void TestGroupsPanel::chooseGroupStopsAndReports()
{
    PanelFixture f;
    f.addGroup(QStringLiteral("6A"));
    f.addGroup(QStringLiteral("6B"));
    f.panel.refresh();
    // Someone else deletes the group between the snapshot and the choice.
    auto container = f.directory->bind(QStringLiteral("WinNT://SERVEUR1"));
    QVERIFY((*container)->deleteObject(DirKind::Group, QStringLiteral("6B")).ok());
    f.panel.util->addItem(QStringLiteral("reste d'avant"));

    f.choose(QStringLiteral("6B"));
    QCOMPARE(f.panel.util->count(), 0);
    QCOMPARE(f.prompts.messages().size(), 1);
    QVERIFY2(f.prompts.messages().first().startsWith(
                 QStringLiteral("Les membres du groupe « 6B » n'ont pas pu être lus.\r")),
        qPrintable(f.prompts.messages().first()));
    QCOMPARE(f.enabled(), QStringLiteral("11001"));
}

void TestGroupsPanel::chooseGroupKeepsMembersReadBeforeFailure()
{
    PanelFixture f;
    f.addGroup(QStringLiteral("6A"));
    f.addUser(QStringLiteral("alice"));
    f.addUser(QStringLiteral("bob"));
    f.addMember(QStringLiteral("6A"), QStringLiteral("alice"));
    f.addMember(QStringLiteral("6A"), QStringLiteral("bob"));
    f.panel.refresh();
    f.observer->faultyPath = QStringLiteral("WinNT://SERVEUR1/6A");
    f.observer->faultyOperation = QStringLiteral("members");

    f.choose(QStringLiteral("6A"));
    QCOMPARE(f.panel.util->count(), 1);
    QCOMPARE(f.prompts.messages(),
        QStringList({QStringLiteral("Les membres du groupe « 6A » n'ont pas pu être lus.\r"
                                    "Le serveur ne répond plus.")}));
}

void TestGroupsPanel::clickOnChosenGroupListsAgain()
{
    PanelFixture f;
    f.addGroup(QStringLiteral("6A"));
    f.addGroup(QStringLiteral("6B"));
    f.addUser(QStringLiteral("alice"));
    f.addUser(QStringLiteral("bob"));
    f.addMember(QStringLiteral("6A"), QStringLiteral("alice"));
    f.host.resize(900, 600);
    f.host.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f.host));
    f.panel.refresh();

    auto click = [&](const QString &group) {
        QListWidgetItem *item = f.panel.grp->findItems(group, Qt::MatchExactly).first();
        QTest::mouseClick(f.panel.grp->viewport(), Qt::LeftButton, {}, f.panel.grp->visualItemRect(item).center());
    };
    click(QStringLiteral("6A"));
    QCOMPARE(f.listed(f.panel.util), QStringList({QStringLiteral("alice")}));
    const int bindsAfterFirst = f.observer->binds.size();

    f.addMember(QStringLiteral("6A"), QStringLiteral("bob"));
    click(QStringLiteral("6A"));
    QCOMPARE(f.panel.util->count(), 2);
    QCOMPARE(f.observer->binds.size(), bindsAfterFirst + 1); // listed once per click

    click(QStringLiteral("6B"));
    QCOMPARE(f.panel.util->count(), 0);
    QCOMPARE(f.observer->binds.size(), bindsAfterFirst + 2);
}

void TestGroupsPanel::chooseMemberEnablesItsButtons()
{
    PanelFixture f;
    f.addGroup(QStringLiteral("6A"));
    f.addUser(QStringLiteral("alice"));
    f.addMember(QStringLiteral("6A"), QStringLiteral("alice"));
    f.panel.refresh();
    f.choose(QStringLiteral("6A"));
    QCOMPARE(f.enabled(), QStringLiteral("11001"));
    f.panel.util->setCurrentRow(0);
    QCOMPARE(f.enabled(), QStringLiteral("11111"));
    // Choosing another group empties the list but leaves Info usable.
    f.panel.chooseGroup();
    QCOMPARE(f.enabled(), QStringLiteral("11111"));
}

void TestGroupsPanel::details_data()
{
    QTest::addColumn<QString>("member"); // the text chosen in util; empty for none
    QTest::addColumn<QString>("expected");
    QTest::newRow("logged on") << QStringLiteral("alice")
                               << QStringLiteral("Nom :alice\rDerniere session :09/12/2026 14:05:00");
    QTest::newRow("never logged on") << QStringLiteral("bob") << QStringLiteral("Nom :bob\rDerniere session :");
    QTest::newRow("no member chosen") << QString() << QStringLiteral("Nom :\rDerniere session :");
    QTest::newRow("differs only in case") << QStringLiteral("Alice") << QStringLiteral("Nom :\rDerniere session :");
    QTest::newRow("no such account") << QStringLiteral("personne") << QStringLiteral("Nom :\rDerniere session :");
    QTest::newRow("a group's name") << QStringLiteral("6A") << QStringLiteral("Nom :\rDerniere session :");
}

void TestGroupsPanel::details()
{
    QFETCH(QString, member);
    QFETCH(QString, expected);
    PanelFixture f;
    f.addGroup(QStringLiteral("6A"));
    f.addUser(QStringLiteral("alice"));
    f.addUser(QStringLiteral("bob"));
    f.setLastLogin(QStringLiteral("alice"), QDateTime(QDate(2026, 12, 9), QTime(14, 5, 0)));
    if (!member.isEmpty()) {
        f.panel.util->addItem(member);
        f.panel.util->setCurrentRow(0);
    }
    f.panel.showDetails();
    QCOMPARE(f.prompts.shown.size(), 1);
    QCOMPARE(f.prompts.shown.first().kind, QStringLiteral("message"));
    QCOMPARE(f.prompts.shown.first().title, QString());
    QCOMPARE(f.prompts.shown.first().text, expected);
}

void TestGroupsPanel::buttonsOpenTheirDialogs()
{
    PanelFixture f;
    f.panel.refresh();
    // Each button opens its own dialog and no other.
    f.panel.utilplus->click();
    QVERIFY(f.dialogs.find<AjoutUserGrp>());
    QVERIFY(!f.dialogs.find<AjoutUtilForm>() && !f.dialogs.find<SupUtilForm>());
    f.panel.ajoututil->click();
    QVERIFY(f.dialogs.find<AjoutUtilForm>());
    QVERIFY(!f.dialogs.find<SupUtilForm>());
    f.panel.suputil->click();
    QVERIFY(f.dialogs.find<SupUtilForm>());
    QVERIFY(f.prompts.shown.isEmpty());
}

QTEST_MAIN(TestGroupsPanel)
#include "tst_groupspanel.moc"
