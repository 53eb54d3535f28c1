// The lists whose entry an action acts on: the focus alone (Tab, a window opening, an assistive
// tool) chooses nothing in them; a keyboard move or a click still does.

#include "admin/ajoutusergrp.h"
#include "admin/groupspanel.h"
#include "admin/suputilform.h"
#include "adminfixture.h"
#include "ui/formbuilder.h"

#include <QListWidget>
#include <QPushButton>
#include <QTest>

namespace {

struct FocusFixture : AdminFixture
{
    QWidget host;
    FormBuilder form {&host};
    GroupsPanel panel {form, services, &host};

    FocusFixture()
    {
        main.groupList = panel.grp;
        addGroup(QStringLiteral("6A"));
        addGroup(QStringLiteral("6B"));
        for (const char *name : {"alice", "bob"}) {
            addUser(QString::fromLatin1(name));
            addMember(QStringLiteral("6A"), QString::fromLatin1(name));
        }
        host.resize(900, 600);
    }

    bool showPanel()
    {
        host.show();
        return QTest::qWaitForWindowActive(&host);
    }
    template <typename D> D *open()
    {
        auto *dialog = dialogs.open<D>(services);
        return dialog && QTest::qWaitForWindowActive(dialog) ? dialog : nullptr;
    }
};

// Gives the list the focus the way the row says, from another control of its window.
bool giveFocus(QListWidget *list, QWidget *before)
{
    QFETCH_GLOBAL(int, reason);
    before->setFocus(Qt::OtherFocusReason);
    list->setFocus(static_cast<Qt::FocusReason>(reason));
    return list->hasFocus();
}

bool nothingChosen(const QListWidget *list)
{
    return list->currentRow() == -1 && list->selectedItems().isEmpty();
}

void pressDown(QListWidget *list)
{
    QTest::keyClick(list, Qt::Key_Down);
}

void clickRow(QListWidget *list, int row)
{
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(row)).center());
}

} // namespace

class TestListFocus : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase_data();
    void groupList();
    void memberList();
    void accountsToAddToAGroup();
    void accountsToDelete();
};

void TestListFocus::initTestCase_data()
{
    QTest::addColumn<int>("reason");
    QTest::newRow("Tab") << int(Qt::TabFocusReason);
    QTest::newRow("Maj+Tab") << int(Qt::BacktabFocusReason);
    QTest::newRow("window activated") << int(Qt::ActiveWindowFocusReason);
    QTest::newRow("assistive tool or program") << int(Qt::OtherFocusReason);
}

void TestListFocus::groupList()
{
    FocusFixture f;
    QVERIFY(f.showPanel());
    // A group chosen, then the snapshot fetched again: "Supprimer" stays usable with none chosen.
    f.panel.refresh();
    clickRow(f.panel.grp, 0);
    f.panel.refresh();
    f.panel.util->clear();

    QVERIFY(giveFocus(f.panel.grp, f.panel.grputil));
    QVERIFY(nothingChosen(f.panel.grp));
    QCOMPARE(f.panel.util->count(), 0);
    f.prompts.answerConfirm(true);
    f.panel.grpmoins->click();
    QVERIFY(f.exists(QStringLiteral("6A")));
    QVERIFY(f.exists(QStringLiteral("6B")));
    QCOMPARE(f.prompts.messages().size(), 1);
    QVERIFY(f.prompts.messages().first().startsWith(QStringLiteral("Le groupe «  » n'a pas été supprimé.\r")));

    pressDown(f.panel.grp);
    QCOMPARE(f.panel.grp->currentItem()->text(), QStringLiteral("6A"));
    QCOMPARE(f.panel.util->count(), 2);
    clickRow(f.panel.grp, 1);
    QCOMPARE(f.panel.grp->currentItem()->text(), QStringLiteral("6B"));
    QCOMPARE(f.panel.util->count(), 0);
}

void TestListFocus::memberList()
{
    FocusFixture f;
    QVERIFY(f.showPanel());
    f.panel.refresh();
    clickRow(f.panel.grp, 0);
    QCOMPARE(f.panel.util->count(), 2);

    QVERIFY(giveFocus(f.panel.util, f.panel.grp));
    QVERIFY(nothingChosen(f.panel.util));
    QVERIFY(!f.panel.utilmoins->isEnabled());
    QVERIFY(!f.panel.cmdInfouser->isEnabled());
    // Even asked directly, the removal names no member and leaves the group whole.
    f.prompts.answerConfirm(true);
    f.panel.removeMember();
    QCOMPARE(f.members(QStringLiteral("6A")).size(), 2);

    pressDown(f.panel.util);
    QCOMPARE(f.panel.util->currentRow(), 0);
    QVERIFY(f.panel.utilmoins->isEnabled());
    const QString first = f.panel.util->currentItem()->text();
    clickRow(f.panel.util, 1);
    QCOMPARE(f.panel.util->currentRow(), 1);
    f.prompts.answerConfirm(true);
    f.panel.utilmoins->click();
    QCOMPARE(f.members(QStringLiteral("6A")), QStringList {first});
}

void TestListFocus::accountsToAddToAGroup()
{
    FocusFixture f;
    auto *d = f.open<AjoutUserGrp>();
    QVERIFY(d);

    QVERIFY(giveFocus(d->tsutil, d->command1));
    QVERIFY(nothingChosen(d->tsutil));
    QVERIFY(!d->plus->isEnabled());
    d->plus->click();
    QCOMPARE(d->finalList->count(), 0);

    pressDown(d->tsutil);
    QCOMPARE(d->tsutil->currentRow(), 0);
    QVERIFY(d->plus->isEnabled());
    clickRow(d->tsutil, 1);
    d->plus->click();
    QCOMPARE(d->finalList->count(), 1);
    QCOMPARE(d->finalList->item(0)->text(), d->tsutil->item(1)->text());
}

void TestListFocus::accountsToDelete()
{
    FocusFixture f;
    auto *d = f.open<SupUtilForm>();
    QVERIFY(d);

    QVERIFY(giveFocus(d->lstUser, d->cmdAnnul));
    QVERIFY(nothingChosen(d->lstUser));
    // "-->" with nothing chosen appends an empty entry, which deletes nobody.
    d->cmdAjsel->click();
    QCOMPARE(d->lstSelec->count(), 1);
    QCOMPARE(d->lstSelec->item(0)->text(), QString());

    pressDown(d->lstUser);
    QCOMPARE(d->lstUser->currentRow(), 0);
    clickRow(d->lstUser, 1);
    d->cmdAjsel->click();
    QCOMPARE(d->lstSelec->item(1)->text(), d->lstUser->item(1)->text());
    const QString chosen = d->lstUser->item(1)->text();
    d->cmdSupp->click();
    QVERIFY(!f.exists(chosen));
    QCOMPARE(f.names(DirListed::User).size(), 1);
}

QTEST_MAIN(TestListFocus)
#include "tst_listfocus.moc"
