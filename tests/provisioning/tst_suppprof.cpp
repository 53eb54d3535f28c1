#include "enrolfixture.h"
#include "provisioning/suppprof.h"

#include <QComboBox>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QTest>

using namespace Qt::StringLiterals;

class TestSuppProf : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void layout();
    void teacherList_data();
    void teacherList();
    void removesTheTeacher();
    void listRewrite_data();
    void listRewrite();
    void leftoverTemporaryFileAddsNoGhost();
    void refusedSelection_data();
    void refusedSelection();
    void unreadableListKeptAndReported();
    void cannotOpenWithoutSettings();

private:
    SuppProf *openDialog();
    QStringList offered() const;
    void remove(const QString &login);

    std::unique_ptr<EnrolFixture> f;
    SuppProf *m_dialog = nullptr;
};

void TestSuppProf::init()
{
    f = std::make_unique<EnrolFixture>();
    QVERIFY(f->createGroup(QStringLiteral("profs")));
    m_dialog = nullptr;
}

void TestSuppProf::cleanup()
{
    delete m_dialog;
    m_dialog = nullptr;
    f.reset();
}

SuppProf *TestSuppProf::openDialog()
{
    delete m_dialog;
    m_dialog = SuppProf::make(f->services);
    if (m_dialog)
        m_dialog->show();
    return m_dialog;
}

QStringList TestSuppProf::offered() const
{
    QStringList items;
    for (int i = 0; i < m_dialog->cboProf->count(); ++i)
        items << m_dialog->cboProf->itemText(i);
    return items;
}

void TestSuppProf::remove(const QString &login)
{
    m_dialog->cboProf->setEditText(login);
    QTest::mouseClick(m_dialog->cmdSupp, Qt::LeftButton);
}

void TestSuppProf::layout()
{
    QVERIFY(openDialog());
    QCOMPARE(m_dialog->objectName(), QStringLiteral("suppprof"));
    QCOMPARE(m_dialog->windowTitle(), QStringLiteral("suppression d'un professeur"));
    QCOMPARE(m_dialog->findChild<QLabel *>(u"Label1"_s)->text(), QStringLiteral("Professeurs :"));
    QCOMPARE(m_dialog->findChild<QLabel *>(u"Label4"_s)->text(),
        QStringLiteral("Cette fonction est utilisée pour supprimer un Professeur, ceci englobe la suppression du "
                       "compte, des permissions et des des répertoires."));
    QCOMPARE(m_dialog->findChild<QPushButton *>(u"cmd_supp"_s)->text(), QStringLiteral("Supprimer"));
    QCOMPARE(m_dialog->findChild<QPushButton *>(u"cmd_annul"_s)->text(), QStringLiteral("Annuler"));
    QCOMPARE(m_dialog->findChild<QComboBox *>(u"cbo_prof"_s)->accessibleName(), QStringLiteral("Professeurs :"));

    QTest::mouseClick(m_dialog->cmdAnnul, Qt::LeftButton);
    QVERIFY(!m_dialog->isVisible());
    QVERIFY(f->shell.started.isEmpty());
}

void TestSuppProf::teacherList_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<bool>("present");
    QTest::addColumn<QStringList>("entries");
    // clang-format off
    QTest::newRow("before the first teacher") << QByteArray() << false << QStringList();
    QTest::newRow("empty") << QByteArray() << true << QStringList();
    QTest::newRow("in file order") << QByteArray("LEFEBVRECh\r\nDURANDAnne\r\nMARTINPaul\r\n") << true << QStringList({u"LEFEBVRECh"_s, u"DURANDAnne"_s, u"MARTINPaul"_s});
    // clang-format on
}

void TestSuppProf::teacherList()
{
    QFETCH(QByteArray, file);
    QFETCH(bool, present);
    QFETCH(QStringList, entries);
    if (present)
        f->folder.writeFile(QStringLiteral("profsliste.txt"), file);
    QVERIFY(openDialog());
    QCOMPARE(offered(), entries);
    QVERIFY(m_dialog->cboProf->currentText().isEmpty());
}

void TestSuppProf::removesTheTeacher()
{
    WatchingShell watcher;
    RecordingShell shell(&watcher);
    f->shellSwitch.switchTo(shell);
    QString captionAtCommand;
    watcher.onStart = [&](const QString &) { captionAtCommand = m_dialog->cmdSupp->text(); };

    QVERIFY(f->createUser(QStringLiteral("DURANDAnne")));
    QVERIFY(f->createUser(QStringLiteral("LEFEBVRECh")));
    QVERIFY(f->makeFolders(QStringLiteral("E:\\Perso\\profs\\DURANDAnne")));
    f->folder.writeFile(QStringLiteral("profsliste.txt"), "LEFEBVRECh\r\nDURANDAnne\r\nMARTINPaul\r\n");
    QVERIFY(openDialog());
    m_dialog->cboProf->setCurrentIndex(1);
    QTest::mouseClick(m_dialog->cmdSupp, Qt::LeftButton);

    QVERIFY(!f->exists(QStringLiteral("DURANDAnne")));
    QVERIFY(f->exists(QStringLiteral("LEFEBVRECh")));
    QCOMPARE(shell.lines(),
        QStringList(
            {u"cmd.exe /c net share DURANDAnne$ /delete /y"_s, u"cmd.exe /c rd /s/q E:\\Perso\\profs\\DURANDAnne"_s}));
    for (const RecordingShell::Started &started : std::as_const(shell.started)) {
        QCOMPARE(started.style, WindowStyle::Minimized);
        QVERIFY(!started.waited);
    }
    QCOMPARE(captionAtCommand, QStringLiteral("En cours ..."));
    QCOMPARE(f->prompts.shown.size(), 1);
    QVERIFY(f->prompts.shown.first().title.isEmpty());
    QCOMPARE(f->prompts.shown.first().text, QStringLiteral("Vous avez supprimé le professeur : DURANDAnne"));
    QCOMPARE(f->folder.readFile(QStringLiteral("profsliste.txt")), QByteArray("LEFEBVRECh\r\nMARTINPaul\r\n"));
    QVERIFY(!f->folder.exists(QStringLiteral("temporvotrv.txt")));

    QVERIFY(!m_dialog->isVisible());
    QCOMPARE(m_dialog->cmdSupp->text(), QStringLiteral("Supprimer"));
    QVERIFY(m_dialog->cboProf->currentText().isEmpty());
    // Opened again, it offers the list without the teacher.
    QVERIFY(openDialog());
    QCOMPARE(offered(), QStringList({u"LEFEBVRECh"_s, u"MARTINPaul"_s}));
}

void TestSuppProf::listRewrite_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QString>("login");
    QTest::addColumn<QByteArray>("after");
    QTest::newRow("listed twice, both lines go")
        << QByteArray("DURANDAnne\r\nLEFEBVRECh\r\nDURANDAnne\r\n") << "DURANDAnne" << QByteArray("LEFEBVRECh\r\n");
    QTest::newRow("unlisted, list untouched")
        << QByteArray("LEFEBVRECh\r\nMARTINPaul") << "DURANDAnne" << QByteArray("LEFEBVRECh\r\nMARTINPaul");
    QTest::newRow("other case stays") << QByteArray("durandanne\r\nDURANDAnne\r\n") << "DURANDAnne"
                                      << QByteArray("durandanne\r\n");
    QTest::newRow("only teacher leaves an empty list") << QByteArray("DURANDAnne\r\n") << "DURANDAnne" << QByteArray();
    QTest::newRow("others keep their order")
        << QByteArray("C\r\nDURANDAnne\r\nA\r\nB\r\n") << "DURANDAnne" << QByteArray("C\r\nA\r\nB\r\n");
}

void TestSuppProf::listRewrite()
{
    QFETCH(QByteArray, before);
    QFETCH(QString, login);
    QFETCH(QByteArray, after);
    f->folder.writeFile(QStringLiteral("profsliste.txt"), before);
    QVERIFY(openDialog());
    remove(login);
    QCOMPARE(f->folder.readFile(QStringLiteral("profsliste.txt")), after);
    QVERIFY(f->folder.exists(QStringLiteral("profsliste.txt")));
    QCOMPARE(f->prompts.messages(), QStringList {u"Vous avez supprimé le professeur : "_s + login});
}

void TestSuppProf::leftoverTemporaryFileAddsNoGhost()
{
    f->folder.writeFile(QStringLiteral("profsliste.txt"), "DURANDAnne\r\nLEFEBVRECh\r\n");
    f->folder.writeFile(QStringLiteral("temporvotrv.txt"), "FANTOME\r\n");
    QVERIFY(openDialog());
    remove(QStringLiteral("DURANDAnne"));
    QCOMPARE(f->folder.readFile(QStringLiteral("profsliste.txt")), QByteArray("LEFEBVRECh\r\n"));
    // Neither a deletion nor a renaming of the list is left to a command.
    for (const QString &line : f->shell.lines())
        QVERIFY2(!line.contains(QStringLiteral("profsliste")), qPrintable(line));
}

void TestSuppProf::refusedSelection_data()
{
    QTest::addColumn<QString>("login");
    QTest::addColumn<QString>("message");
    const QString none = u"Veuillez choisir le professeur à supprimer : rien n'a été supprimé."_s;
    QTest::newRow("empty") << "" << none;
    QTest::newRow("blank") << "   " << none;
    QTest::newRow("climbs out") << "..\\..\\eleves"
                                << "Le nom ..\\..\\eleves ne désigne pas un seul dossier ni un "
                                   "seul partage : rien n'a été supprimé.";
    QTest::newRow("two words") << "DURAND Anne"
                               << "Le nom DURAND Anne ne désigne pas un seul dossier ni un seul "
                                  "partage : rien n'a été supprimé.";
}

void TestSuppProf::refusedSelection()
{
    QFETCH(QString, login);
    QFETCH(QString, message);
    QVERIFY(f->createUser(QStringLiteral("DURANDAnne")));
    f->folder.writeFile(QStringLiteral("profsliste.txt"), "DURANDAnne\r\n");
    QVERIFY(openDialog());
    remove(login);
    QCOMPARE(f->prompts.messages(), QStringList {message});
    QVERIFY(f->shell.started.isEmpty());
    QVERIFY(f->exists(QStringLiteral("DURANDAnne")));
    QCOMPARE(f->folder.readFile(QStringLiteral("profsliste.txt")), QByteArray("DURANDAnne\r\n"));
    QVERIFY(m_dialog->isVisible());
}

void TestSuppProf::unreadableListKeptAndReported()
{
    f->folder.writeFile(QStringLiteral("profsliste.txt"), "DURANDAnne\r\nLEFEBVRECh\r\n");
    QVERIFY(openDialog());
    // Between the opening and the click the list became unreadable.
    const QString list = f->folder.path() + QStringLiteral("/profsliste.txt");
    QVERIFY(QFile::rename(list, list + QStringLiteral(".bak")));
    QVERIFY(QDir().mkdir(list));
    remove(QStringLiteral("DURANDAnne"));
    QCOMPARE(f->prompts.messages().size(), 1);
    QVERIFY(f->prompts.messages().first().startsWith(QStringLiteral(
        "Vous avez supprimé le professeur : DURANDAnne\rLa liste des professeurs n'a pas été modifiée")));
    QVERIFY(QFileInfo(list).isDir());
    QCOMPARE(f->folder.readFile(QStringLiteral("profsliste.txt.bak")), QByteArray("DURANDAnne\r\nLEFEBVRECh\r\n"));
}

void TestSuppProf::cannotOpenWithoutSettings()
{
    QVERIFY(QFile::remove(f->folder.path() + QStringLiteral("/parametres.txt")));
    QVERIFY(!SuppProf::make(f->services));
    QCOMPARE(f->prompts.messages().size(), 1);
    QVERIFY(f->prompts.messages().first().startsWith(
        QStringLiteral("La fenêtre « suppression d'un professeur » ne peut pas s'ouvrir.\r")));
}

QTEST_MAIN(TestSuppProf)
#include "tst_suppprof.moc"
