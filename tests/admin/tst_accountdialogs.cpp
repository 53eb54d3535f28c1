// The three single-account dialogs: "Ajout d'un utilisateur", "Suppression d'un utilisateur" and
// "Déverouiller un utilisateur", opened through the dialog host on the embedded store.

#include "admin/ajoututilform.h"
#include "admin/deverouillage.h"
#include "admin/suputilform.h"
#include "adminfixture.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

struct DialogFixture : AdminFixture
{
    DialogFixture()
    {
        addGroup(QStringLiteral("6A"));
        addUser(QStringLiteral("alice"));
        addUser(QStringLiteral("bob"));
    }

    template <typename D> D *open() { return dialogs.open<D>(services); }
    void removeSettings() { QFile::remove(folder.path() + QStringLiteral("/parametres.txt")); }
};

// One of the dialogs, opened on the fixture, for tables of cases that hold for each.
using OpenDialog = QWidget *(*)(DialogFixture &);
template <typename D> QWidget *openAs(DialogFixture &f)
{
    return f.open<D>();
}

QStringList texts(const QListWidget *list)
{
    QStringList t;
    for (int i = 0; i < list->count(); ++i)
        t << list->item(i)->text();
    t.sort();
    return t;
}

// A sequence of edits: "p:" sets the password field, "c:" the confirmation, each to the rest.
void apply(AjoutUtilForm *d, const QStringList &edits)
{
    for (const QString &edit : edits) {
        QLineEdit *box = edit.startsWith(QStringLiteral("p:")) ? d->txtPass : d->txtConf;
        box->setText(edit.mid(2));
    }
}

} // namespace

class TestAccountDialogs : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void creationOpens();
    void openingsWithoutSettings_data();
    void openingsWithoutSettings();
    void passwordMatch_data();
    void passwordMatch();
    void passwordTypedKeyByKey();
    void createAccount_data();
    void createAccount();
    void deletionOpensWithAccounts();
    void deleteSelection_data();
    void deleteSelection();
    void unlockListsAccounts();
    void unlock_data();
    void unlock();
    void refusedUnlockIsReported();
};

void TestAccountDialogs::creationOpens()
{
    DialogFixture f;
    auto *d = f.open<AjoutUtilForm>();
    QVERIFY(d);
    QCOMPARE(d->objectName(), QStringLiteral("ajoututilform"));
    QCOMPARE(d->windowTitle(), QStringLiteral("Ajout d'un utilisateur"));
    QVERIFY(d->parent() == nullptr);
    QCOMPARE(d->label1->text(),
        QStringLiteral("Attention, les informations sur l'utilisateur ci-dessous ne sont pas exhaustives, pour "
                       "renseigner l'intégralité des informations fournies sous AD, veuillez utiliser le "
                       "gestionnaire d'utilisateurs."));
    QVERIFY(!d->cmdOk->isEnabled());
    QVERIFY(!d->labelok->isEnabled());
    QCOMPARE(d->txtPass->echoMode(), QLineEdit::Password);
    QCOMPARE(d->txtConf->echoMode(), QLineEdit::Password);
    QCOMPARE(d->txtNom->accessibleName(), QStringLiteral("Nom :"));
    QCOMPARE(d->txtConf->accessibleName(), QStringLiteral("Confirmer le mot de passe :"));
}

void TestAccountDialogs::openingsWithoutSettings_data()
{
    QTest::addColumn<OpenDialog>("open");
    QTest::addColumn<QString>("caption"); // named in the report, or empty when it opens all the same
    QTest::newRow("creation") << &openAs<AjoutUtilForm> << QStringLiteral("Ajout d'un utilisateur");
    QTest::newRow("deletion") << &openAs<SupUtilForm> << QStringLiteral("Suppression d'un utilisateur");
    QTest::newRow("unlock") << &openAs<Deverouillage> << QString();
}

void TestAccountDialogs::openingsWithoutSettings()
{
    QFETCH(OpenDialog, open);
    QFETCH(QString, caption);
    DialogFixture f;
    f.removeSettings();
    QWidget *opened = open(f);
    if (caption.isEmpty()) {
        // The unlock dialog passes over what it cannot read: it opens with an empty list.
        QVERIFY(opened);
        QCOMPARE(opened->findChild<QComboBox *>(QStringLiteral("list_utilisateurs"))->count(), 0);
        QVERIFY(f.prompts.shown.isEmpty());
    } else {
        QVERIFY(opened == nullptr);
        QCOMPARE(f.prompts.messages().size(), 1);
        QVERIFY2(f.prompts.messages().first().startsWith(
                     QStringLiteral("La fenêtre « %1 » ne peut pas s'ouvrir.\r").arg(caption)),
            qPrintable(f.prompts.messages().first()));
    }
}

void TestAccountDialogs::passwordMatch_data()
{
    QTest::addColumn<QStringList>("edits");
    QTest::addColumn<bool>("usable"); // cmd_ok and Labelok
    QTest::addColumn<QString>("password");
    // clang-format off
    QTest::newRow("nothing typed") << QStringList() << false << QString();
    QTest::newRow("typed the same") << QStringList({QStringLiteral("p:abc"), QStringLiteral("c:abc")}) << true
                                    << QStringLiteral("abc");
    QTest::newRow("confirmation first") << QStringList({QStringLiteral("c:abc"), QStringLiteral("p:abc")}) << false
                                        << QString();
    QTest::newRow("confirmation touched again") << QStringList(
        {QStringLiteral("c:abc"), QStringLiteral("p:abc"), QStringLiteral("c:abcd"), QStringLiteral("c:abc")})
                                                << true << QStringLiteral("abc");
    QTest::newRow("password changed after the match")
        << QStringList({QStringLiteral("p:abc"), QStringLiteral("c:abc"), QStringLiteral("p:xyz")}) << true
        << QStringLiteral("abc");
    QTest::newRow("different after the match")
        << QStringList({QStringLiteral("p:abc"), QStringLiteral("c:abc"), QStringLiteral("c:abx")}) << false
        << QStringLiteral("abc");
    QTest::newRow("both empty after typing")
        << QStringList({QStringLiteral("c:a"), QStringLiteral("c:")}) << true << QString();
    QTest::newRow("case counts") << QStringList({QStringLiteral("p:Abc"), QStringLiteral("c:abc")}) << false
                                 << QString();
    // clang-format on
}

void TestAccountDialogs::passwordMatch()
{
    QFETCH(QStringList, edits);
    QFETCH(bool, usable);
    QFETCH(QString, password);
    DialogFixture f;
    auto *d = f.open<AjoutUtilForm>();
    apply(d, edits);
    QCOMPARE(d->cmdOk->isEnabled(), usable);
    QCOMPARE(d->labelok->isEnabled(), usable);
    QCOMPARE(d->password(), password);
}

void TestAccountDialogs::passwordTypedKeyByKey()
{
    DialogFixture f;
    auto *d = f.open<AjoutUtilForm>();
    QTest::keyClicks(d->txtPass, QStringLiteral("s3cret"));
    QTest::keyClicks(d->txtConf, QStringLiteral("s3cre"));
    QVERIFY(!d->cmdOk->isEnabled());
    QTest::keyClicks(d->txtConf, QStringLiteral("t"));
    QVERIFY(d->cmdOk->isEnabled());
    QTest::keyClick(d->txtConf, Qt::Key_Backspace);
    QVERIFY(!d->cmdOk->isEnabled());
    QCOMPARE(d->password(), QStringLiteral("s3cret"));
}

void TestAccountDialogs::createAccount_data()
{
    QTest::addColumn<QString>("nom");
    QTest::addColumn<QString>("prenom");
    QTest::addColumn<QString>("desc");
    QTest::addColumn<QString>("report"); // start of the message; empty when the account is made in silence
    const QString unfilled = QStringLiteral("Tous les champs ne sont pas remplis !!");
    QTest::newRow("complete") << QStringLiteral("dupont") << QStringLiteral("Jean") << QStringLiteral("Intendance")
                              << QString();
    QTest::newRow("blank description counts as filled")
        << QStringLiteral("dupont") << QStringLiteral("Jean") << QStringLiteral("   ") << QString();
    QTest::newRow("no name") << QString() << QStringLiteral("Jean") << QStringLiteral("Intendance") << unfilled;
    QTest::newRow("no first name") << QStringLiteral("dupont") << QString() << QStringLiteral("Intendance") << unfilled;
    QTest::newRow("no description") << QStringLiteral("dupont") << QStringLiteral("Jean") << QString() << unfilled;
    QTest::newRow("name taken") << QStringLiteral("alice") << QStringLiteral("Jean") << QStringLiteral("Intendance")
                                << QStringLiteral("Le compte « alice » n'a pas été créé.\r");
}

void TestAccountDialogs::createAccount()
{
    QFETCH(QString, nom);
    QFETCH(QString, prenom);
    QFETCH(QString, desc);
    QFETCH(QString, report);
    DialogFixture f;
    QPointer<AjoutUtilForm> d = f.open<AjoutUtilForm>();
    d->txtNom->setText(nom);
    d->txtPrenom->setText(prenom);
    d->txtDesc->setText(desc);
    // The password kept is the confirmation at the last match, not what the first field says now.
    apply(d, {QStringLiteral("p:Motdepasse1"), QStringLiteral("c:Motdepasse1"), QStringLiteral("p:autre")});

    QStringList captions;
    f.observer->onBind = [&](const QString &) { captions << d->cmdOk->text(); };
    d->cmdOk->click();

    if (report.isEmpty()) {
        QVERIFY(f.prompts.shown.isEmpty());
        QCOMPARE(captions, QStringList({QStringLiteral("En cours ...")}));
        QCOMPARE(f.property(nom, DirProperty::FullName).toString(), nom + u' ' + prenom);
        QCOMPARE(f.property(nom, DirProperty::Description).toString(), desc);
        QVERIFY(f.passwordIs(nom, QStringLiteral("Motdepasse1")));
        QVERIFY(f.members(QStringLiteral("6A")).isEmpty());
        QCOMPARE(f.journalled(), QStringList {u"création d'un compte ; "_s + nom + u" ; fait"_s});
        QTRY_VERIFY(d.isNull());
        return;
    }
    // A form not filled asks nothing of the directory, so nothing is journalled.
    QCOMPARE(f.journalled(),
        nom == QStringLiteral("alice") ? QStringList {u"création d'un compte ; alice ; échec"_s} : QStringList());
    QCOMPARE(f.prompts.messages().size(), 1);
    QVERIFY2(f.prompts.messages().first().startsWith(report), qPrintable(f.prompts.messages().first()));
    QCOMPARE(f.prompts.shown.first().title, QString());
    // The button gives back its caption, and what was typed stays to be corrected.
    QVERIFY(!d.isNull());
    QCOMPARE(d->cmdOk->text(), QStringLiteral("Ok"));
    QCOMPARE(d->txtNom->text(), nom);
    if (nom == QStringLiteral("alice"))
        QVERIFY(f.property(QStringLiteral("alice"), DirProperty::FullName).toString().isEmpty());
    else
        QCOMPARE(f.names(DirListed::User).size(), 2);
}

void TestAccountDialogs::deletionOpensWithAccounts()
{
    DialogFixture f;
    auto *d = f.open<SupUtilForm>();
    QVERIFY(d);
    QCOMPARE(d->objectName(), QStringLiteral("suputilform"));
    QCOMPARE(d->windowTitle(), QStringLiteral("Suppression d'un utilisateur"));
    QCOMPARE(texts(d->lstUser), QStringList({QStringLiteral("alice"), QStringLiteral("bob")}));
    QCOMPARE(d->lstSelec->count(), 0);
    for (QPushButton *b : {d->cmdAjsel, d->cmdRaz, d->cmdSupp, d->cmdAnnul})
        QVERIFY(b->isEnabled());
}

void TestAccountDialogs::deleteSelection_data()
{
    QTest::addColumn<QStringList>("chosen"); // each is chosen then "-->"; empty text: nothing chosen
    QTest::addColumn<QStringList>("left"); // accounts afterwards
    QTest::newRow("two accounts") << QStringList({QStringLiteral("bob"), QStringLiteral("alice")}) << QStringList();
    QTest::newRow("one account") << QStringList({QStringLiteral("bob")}) << QStringList({QStringLiteral("alice")});
    QTest::newRow("chosen twice") << QStringList({QStringLiteral("bob"), QStringLiteral("bob")})
                                  << QStringList({QStringLiteral("alice")});
    QTest::newRow("nothing chosen") << QStringList({QString()})
                                    << QStringList({QStringLiteral("alice"), QStringLiteral("bob")});
    QTest::newRow("empty selection") << QStringList() << QStringList({QStringLiteral("alice"), QStringLiteral("bob")});
}

void TestAccountDialogs::deleteSelection()
{
    QFETCH(QStringList, chosen);
    QFETCH(QStringList, left);
    DialogFixture f;
    QPointer<SupUtilForm> d = f.open<SupUtilForm>();
    for (const QString &name : chosen) {
        d->lstUser->setCurrentItem(d->lstUser->findItems(name, Qt::MatchExactly).value(0));
        d->cmdAjsel->click();
    }
    QCOMPARE(d->lstSelec->count(), chosen.size());

    QStringList captions;
    f.observer->onBind = [&](const QString &) { captions << d->cmdSupp->text(); };
    d->cmdSupp->click();
    captions.removeDuplicates();
    const bool anyName = !chosen.filter(QRegularExpression(QStringLiteral("."))).isEmpty();
    QCOMPARE(captions, anyName ? QStringList({QStringLiteral("En cours ...")}) : QStringList());

    QStringList accounts = f.names(DirListed::User);
    accounts.sort();
    QCOMPARE(accounts, left);
    QVERIFY(f.exists(QStringLiteral("6A")));
    QVERIFY(f.prompts.shown.isEmpty()); // no question, no message
    // One line per name of the selection; one chosen twice fails the second time.
    QStringList journalled;
    QStringList gone;
    for (const QString &name : std::as_const(chosen)) {
        if (!name.isEmpty())
            journalled << u"suppression d'un compte ; "_s + name + (gone.contains(name) ? u" ; échec"_s : u" ; fait"_s);
        gone << name;
    }
    QCOMPARE(f.journalled(), journalled);
    QTRY_VERIFY(d.isNull());
}

void TestAccountDialogs::unlockListsAccounts()
{
    DialogFixture f;
    auto *d = f.open<Deverouillage>();
    QVERIFY(d);
    QCOMPARE(d->objectName(), QStringLiteral("deverouillage"));
    QCOMPARE(d->windowTitle(), QStringLiteral("Déverouiller un utilisateur"));
    QVERIFY(d->listUtilisateurs->isEditable());
    QStringList listed;
    for (int i = 0; i < d->listUtilisateurs->count(); ++i)
        listed << d->listUtilisateurs->itemText(i);
    listed.sort();
    QCOMPARE(listed, QStringList({QStringLiteral("alice"), QStringLiteral("bob")})); // not the group
    QCOMPARE(d->listUtilisateurs->currentText(), QString());
}

void TestAccountDialogs::unlock_data()
{
    QTest::addColumn<QString>("name"); // chosen or typed
    QTest::addColumn<QString>("message");
    QTest::newRow("locked") << QStringLiteral("alice") << QStringLiteral("Utilisateur déverouillé.");
    QTest::newRow("locked, typed in capitals") << QStringLiteral("ALICE") << QStringLiteral("Utilisateur déverouillé.");
    QTest::newRow("not locked") << QStringLiteral("bob") << QStringLiteral("Cet utilisateur n'est pas vérouillé !");
    QTest::newRow("unknown") << QStringLiteral("personne")
                             << QStringLiteral("Aucun compte « personne » n'a été trouvé : rien n'a été changé.\r");
    QTest::newRow("empty") << QString() << QStringLiteral("Aucun compte «  » n'a été trouvé : rien n'a été changé.\r");
    QTest::newRow("a group") << QStringLiteral("6A")
                             << QStringLiteral("L'état du compte « 6A » n'a pas pu être lu : rien n'a été changé.\r");
}

void TestAccountDialogs::unlock()
{
    QFETCH(QString, name);
    QFETCH(QString, message);
    DialogFixture f;
    f.lock(QStringLiteral("alice"));
    QPointer<Deverouillage> d = f.open<Deverouillage>();
    d->listUtilisateurs->setEditText(name);

    QStringList captions;
    f.observer->onBind = [&](const QString &) { captions << d->cmdDever->text(); };
    d->cmdDever->click();
    QCOMPARE(captions, QStringList({QStringLiteral("En cours ...")}));
    QCOMPARE(f.observer->binds.last(), QStringLiteral("WinNT://SERVEUR1/") + name);

    QCOMPARE(f.prompts.messages().size(), 1);
    QVERIFY2(f.prompts.messages().first().startsWith(message), qPrintable(f.prompts.messages().first()));
    QCOMPARE(f.prompts.shown.first().title, QString());
    const bool unlocked = message == QStringLiteral("Utilisateur déverouillé.");
    QCOMPARE(f.property(QStringLiteral("alice"), DirProperty::IsAccountLocked).toBool(), !unlocked);
    QCOMPARE(f.property(QStringLiteral("bob"), DirProperty::IsAccountLocked).toBool(), false);
    const QString outcome = unlocked    ? QStringLiteral("fait")
        : name == QStringLiteral("bob") ? QStringLiteral("rien")
                                        : QStringLiteral("échec");
    QCOMPARE(f.journalled(), QStringList {u"déverrouillage ; "_s + name + u" ; "_s + outcome});
    QTRY_VERIFY(d.isNull());
}

void TestAccountDialogs::refusedUnlockIsReported()
{
    DialogFixture f;
    f.lock(QStringLiteral("alice"));
    QPointer<Deverouillage> d = f.open<Deverouillage>();
    d->listUtilisateurs->setEditText(QStringLiteral("alice"));
    f.observer->faultyPath = QStringLiteral("WinNT://SERVEUR1/alice");
    f.observer->faultyOperation = QStringLiteral("setInfo");
    d->cmdDever->click();
    // A refused change is never announced as done.
    QCOMPARE(f.prompts.messages(),
        QStringList({QStringLiteral("Le compte « alice » n'a pas pu être déverrouillé.\rAccès refusé.")}));
    QVERIFY(f.property(QStringLiteral("alice"), DirProperty::IsAccountLocked).toBool());
    QCOMPARE(f.journalled(), QStringList {u"déverrouillage ; alice ; échec"_s});
    QTRY_VERIFY(d.isNull());
}

QTEST_MAIN(TestAccountDialogs)
#include "tst_accountdialogs.moc"
