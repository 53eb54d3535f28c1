// The dialog "Ajout d'utilisateur dans un groupe", opened through the dialog host as the panel opens it.

#include "admin/ajoutusergrp.h"
#include "adminfixture.h"

#include <QListWidget>
#include <QPushButton>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

struct DialogFixture : AdminFixture
{
    QListWidget mainGroups; // stands for the main window's grp

    DialogFixture()
    {
        main.groupList = &mainGroups;
        addGroup(QStringLiteral("6A"));
        addGroup(QStringLiteral("6B"));
        for (const char *name : {"alice", "bob", "carl"})
            addUser(QString::fromLatin1(name));
        mainGroups.addItems({QStringLiteral("6A"), QStringLiteral("6B")});
    }

    AjoutUserGrp *open() { return dialogs.open<AjoutUserGrp>(services); }
    void chooseMainGroup(const QString &group)
    {
        mainGroups.setCurrentItem(mainGroups.findItems(group, Qt::MatchExactly).value(0));
    }
    // Chooses each name in the left list and presses "-->".
    void pick(AjoutUserGrp *d, const QStringList &names)
    {
        for (const QString &name : names) {
            d->tsutil->setCurrentItem(d->tsutil->findItems(name, Qt::MatchExactly).value(0));
            d->plus->click();
        }
    }
    QStringList sortedMembers(const QString &group)
    {
        QStringList m = members(group);
        m.sort();
        return m;
    }
};

QStringList texts(const QListWidget *list)
{
    QStringList t;
    for (int i = 0; i < list->count(); ++i)
        t << list->item(i)->text();
    return t;
}

} // namespace

class TestAjoutUserGrp : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void opensWithTheServersAccounts();
    void openingWithoutSettingsIsReported();
    void listsAndButtons();
    void addToChosenGroup_data();
    void addToChosenGroup();
    void usesTheGroupChosenAtTheMoment();
    void cancelChangesNothing();
};

void TestAjoutUserGrp::opensWithTheServersAccounts()
{
    DialogFixture f;
    AjoutUserGrp *d = f.open();
    QVERIFY(d);
    QCOMPARE(d->objectName(), QStringLiteral("ajoutusergrp"));
    QCOMPARE(d->windowTitle(), QStringLiteral("Ajout d'utilisateur dans un groupe"));
    QVERIFY(d->isWindow());
    QVERIFY(d->parent() == nullptr);
    QStringList accounts = texts(d->tsutil);
    accounts.sort();
    QCOMPARE(accounts, QStringList({QStringLiteral("alice"), QStringLiteral("bob"), QStringLiteral("carl")}));
    QCOMPARE(d->finalList->count(), 0);
    QVERIFY(!d->plus->isEnabled());
    QVERIFY(d->moins->isEnabled());
    QVERIFY(d->ajout->isEnabled());
    QVERIFY(d->command1->isEnabled());
    QCOMPARE(d->plus->text(), QStringLiteral("-->"));
    QCOMPARE(d->moins->text(), QStringLiteral("RAZ"));
    QCOMPARE(d->ajout->text(), QStringLiteral("Ajouter"));
    QCOMPARE(d->command1->text(), QStringLiteral("Annuler"));
    // Opening it again brings the same window forward.
    QCOMPARE(f.open(), d);
    QVERIFY(f.prompts.shown.isEmpty());
}

void TestAjoutUserGrp::openingWithoutSettingsIsReported()
{
    DialogFixture f;
    QFile::remove(f.folder.path() + QStringLiteral("/parametres.txt"));
    QVERIFY(f.open() == nullptr);
    QVERIFY(f.dialogs.find<AjoutUserGrp>() == nullptr);
    QCOMPARE(f.prompts.messages().size(), 1);
    QVERIFY(f.prompts.messages().first().startsWith(
        QStringLiteral("La fenêtre « Ajout d'utilisateur dans un groupe » ne peut pas s'ouvrir.\r")));
}

void TestAjoutUserGrp::listsAndButtons()
{
    DialogFixture f;
    AjoutUserGrp *d = f.open();
    d->tsutil->setCurrentRow(0);
    QVERIFY(d->plus->isEnabled());
    const QString first = d->tsutil->item(0)->text();
    d->plus->click();
    d->plus->click(); // no check for duplicates
    QCOMPARE(texts(d->finalList), QStringList({first, first}));
    d->moins->click();
    QCOMPARE(d->finalList->count(), 0);
}

void TestAjoutUserGrp::addToChosenGroup_data()
{
    QTest::addColumn<QString>("group"); // chosen in the main window; empty for none
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<QStringList>("members"); // of 6A afterwards
    // The message, or empty when the dialog closed in silence; "|" stands for the directory's own reason.
    QTest::addColumn<QString>("report");

    QTest::newRow("two accounts") << QStringLiteral("6A")
                                  << QStringList({QStringLiteral("alice"), QStringLiteral("bob")})
                                  << QStringList({QStringLiteral("alice"), QStringLiteral("bob")}) << QString();
    QTest::newRow("empty list") << QStringLiteral("6A") << QStringList() << QStringList() << QString();
    QTest::newRow("same account twice") << QStringLiteral("6A")
                                        << QStringList({QStringLiteral("alice"), QStringLiteral("alice")})
                                        << QStringList({QStringLiteral("alice")})
                                        << QStringLiteral("Le compte « alice » n'a pas été ajouté au groupe « 6A ».\r"
                                                          "|"
                                                          "Le compte placé avant lui dans la liste a été ajouté.");
    QTest::newRow("stops at the first failing entry")
        << QStringLiteral("6A")
        << QStringList(
               {QStringLiteral("alice"), QStringLiteral("bob"), QStringLiteral("parti"), QStringLiteral("carl")})
        << QStringList({QStringLiteral("alice"), QStringLiteral("bob")})
        << QStringLiteral("Le compte « parti » n'a pas été ajouté au groupe « 6A ».\r"
                          "|"
                          "Les 2 comptes placés avant lui dans la liste ont été ajoutés.");
    QTest::newRow("no group chosen") << QString() << QStringList({QStringLiteral("alice")}) << QStringList()
                                     << QStringLiteral("Le compte « alice » n'a pas été ajouté au groupe «  ».\r"
                                                       "Aucun groupe n'est choisi dans la fenêtre principale.\r"
                                                       "|"
                                                       "Aucun compte n'a été ajouté.");
}

void TestAjoutUserGrp::addToChosenGroup()
{
    QFETCH(QString, group);
    QFETCH(QStringList, entries);
    QFETCH(QStringList, members);
    QFETCH(QString, report);
    DialogFixture f;
    f.addUser(QStringLiteral("parti"));
    QPointer<AjoutUserGrp> d = f.open();
    f.pick(d, entries);
    // An account deleted by someone else while the dialog is open.
    auto container = f.directory->bind(QStringLiteral("WinNT://SERVEUR1"));
    QVERIFY((*container)->deleteObject(DirKind::User, QStringLiteral("parti")).ok());
    if (!group.isEmpty())
        f.chooseMainGroup(group);

    QStringList captions;
    f.observer->onBind = [&](const QString &) { captions << d->ajout->text(); };
    d->ajout->click();
    captions.removeDuplicates();
    if (!entries.isEmpty() && !group.isEmpty())
        QCOMPARE(captions, QStringList({QStringLiteral("En cours")}));

    QCOMPARE(f.sortedMembers(QStringLiteral("6A")), members);
    QVERIFY(f.members(QStringLiteral("6B")).isEmpty());
    // A line per account tried, up to the first that failed: the one after those added.
    const qsizetype tried = report.isEmpty() ? entries.size() : members.size() + 1;
    QStringList journalled;
    for (qsizetype i = 0; i < tried; ++i) {
        const bool failed = !report.isEmpty() && i == members.size();
        journalled << u"ajout à un groupe ; "_s + entries[i] + u" dans "_s + group
                + (failed ? u" ; échec"_s : u" ; fait"_s);
    }
    QCOMPARE(f.journalled(), journalled);
    if (report.isEmpty()) {
        QVERIFY(f.prompts.shown.isEmpty());
        QTRY_VERIFY(d.isNull()); // closed and deleted
    } else {
        QCOMPARE(f.prompts.messages().size(), 1);
        const QString shown = f.prompts.messages().first();
        const QStringList around = report.split(u'|');
        QVERIFY2(shown.startsWith(around[0]) && shown.endsWith(u'\r' + around[1]), qPrintable(shown));
        // The dialog stays, with its list, for the administrator to see what was meant.
        QVERIFY(!d.isNull());
        QVERIFY(d->isVisible());
        QCOMPARE(d->ajout->text(), QStringLiteral("Ajouter"));
        QCOMPARE(texts(d->finalList), entries);
    }
}

void TestAjoutUserGrp::usesTheGroupChosenAtTheMoment()
{
    DialogFixture f;
    f.chooseMainGroup(QStringLiteral("6A"));
    AjoutUserGrp *d = f.open();
    f.pick(d, {QStringLiteral("carl")});
    f.chooseMainGroup(QStringLiteral("6B"));
    d->ajout->click();
    QVERIFY(f.members(QStringLiteral("6A")).isEmpty());
    QCOMPARE(f.members(QStringLiteral("6B")), QStringList({QStringLiteral("carl")}));
}

void TestAjoutUserGrp::cancelChangesNothing()
{
    DialogFixture f;
    f.chooseMainGroup(QStringLiteral("6A"));
    QPointer<AjoutUserGrp> d = f.open();
    f.pick(d, {QStringLiteral("alice")});
    d->command1->click();
    QTRY_VERIFY(d.isNull());
    QVERIFY(f.members(QStringLiteral("6A")).isEmpty());
}

QTEST_MAIN(TestAjoutUserGrp)
#include "tst_ajoutusergrp.moc"
