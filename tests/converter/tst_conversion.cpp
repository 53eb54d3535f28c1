#include "converter/form1.h"
#include "support/scriptedprompts.h"
#include "support/tempprogramfolder.h"
#include "text/controlcharacters.h"
#include "text/fieldreader.h"

#include <QCheckBox>
#include <QDir>
#include <QDirIterator>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>

using Files = QMap<QString, QByteArray>;

namespace {

const QByteArray kBanner = "*************************************************************\r\n"
                           "*   Ceci est la liste des eleves sans classe dans orvo /!\\   *\r\n"
                           "*************************************************************\r\n";

QString firstMessage(int total, int withoutClass)
{
    return QStringLiteral("Analyse terminée de %1 élèves dont %2 sont sans classe.\r   Consulter le fichier "
                          "c:\\erreurs.txt pour en savoir plus. Le traitement continue, patientez...")
        .arg(total)
        .arg(withoutClass);
}

const QString kFinal
    = QStringLiteral("Traitement terminé, vous pouvez retourner sous Velmar et créer les utilisateurs");
const QString kUnparked = QStringLiteral("unparked");

// Notes where the progress bar stood whenever a box was shown.
class WatchingPrompts : public ScriptedPrompts
{
public:
    QProgressBar *bar = nullptr;
    QList<QPair<int, int>> barAtMessage;

protected:
    void showMessage(const QString &text, const QString &title) override
    {
        if (bar)
            barAtMessage.append({bar->value(), bar->maximum()});
        ScriptedPrompts::showMessage(text, title);
    }
};

} // namespace

// trivo's files, byte for byte, after one or more clicks of "Analyser". The inputs lie at the default
// paths (drive C:), the work folder is drive D: unless a row says otherwise.
class TestConversion : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void conversion_data();
    void conversion();
    void fileThatCannotBeOpened_data();
    void fileThatCannotBeOpened();
    void largeExportKeepsTheBarMoving();

private:
    void makeForm(int paintIntervalMs = Form1::kPaintIntervalMs);
    void run() { m_form->findChild<QPushButton *>(QStringLiteral("cmd_exec"))->click(); }
    QLineEdit *box(const QString &name) { return m_form->findChild<QLineEdit *>(name); }
    QString status() { return m_form->findChild<QLabel *>(QStringLiteral("Label6"))->text(); }
    // Every file under the program folder, the inputs and outputs at the default paths set apart.
    Files otherFiles() const;

    std::unique_ptr<TempProgramFolder> m_folder;
    WatchingPrompts m_prompts;
    std::unique_ptr<Form1> m_form;
};

void TestConversion::init()
{
    m_form.reset();
    m_folder = std::make_unique<TempProgramFolder>();
    m_prompts = WatchingPrompts();
}

void TestConversion::makeForm(int paintIntervalMs)
{
    m_form = std::make_unique<Form1>(m_folder->paths(), m_prompts, paintIntervalMs);
    m_prompts.bar = m_form->findChild<QProgressBar *>(QStringLiteral("Bar"));
}

Files TestConversion::otherFiles() const
{
    static const QStringList known
        = {QStringLiteral("lecteurs.txt"), QStringLiteral("drives/c/orvoexcel.txt"), QStringLiteral("drives/c/div.txt"),
            QStringLiteral("drives/c/orvo.txt"), QStringLiteral("drives/c/erreurs.txt")};
    Files files;
    const QDir root(m_folder->path());
    QDirIterator it(m_folder->path(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString relative = root.relativeFilePath(it.next());
        if (!known.contains(relative))
            files.insert(relative, m_folder->readFile(relative));
    }
    return files;
}

void TestConversion::conversion_data()
{
    QTest::addColumn<QByteArray>("exportFile");
    QTest::addColumn<QByteArray>("classTable");
    QTest::addColumn<bool>("lowerCase");
    QTest::addColumn<QString>("workFolder");
    QTest::addColumn<Files>("before"); // a name ending in "/" is a folder
    QTest::addColumn<int>("runs");
    QTest::addColumn<QByteArray>("converted");
    QTest::addColumn<QByteArray>("errors"); // below the banner
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<Files>("after"); // every other file left in the program folder

    const QString d = QStringLiteral("d:");
    const QStringList usual = {firstMessage(1, 0), kFinal};

    QTest::newRow("grouped in table order, export order within a class")
        << QByteArray("DUPONT,Jean-Marc,1B\r\nMARTIN,L\xE9"
                      "a,2A\r\nBERNARD,Paul,1B\r\nPETIT,Zo\xE9,2A\r\n")
        << QByteArray("2A,TS8\r\n1B,1S1\r\n") << false << d << Files() << 1
        << QByteArray("MARTIN,L\xE9"
                      "a,TS8\r\nPETIT,Zo\xE9,TS8\r\nDUPONT,Jean-Marc,1S1\r\nBERNARD,Paul,1S1\r\n")
        << QByteArray() << QStringList {firstMessage(4, 0), kFinal} << Files();

    QTest::newRow("empty class codes go to the error file")
        << QByteArray("DUPONT,Jean,1B\r\nSANS,Classe,\r\nAUTRE,El\xE8ve,\r\n") << QByteArray("1B,1S1\r\n") << false << d
        << Files() << 1 << QByteArray("DUPONT,Jean,1S1\r\n") << QByteArray("SANS,Classe\r\nAUTRE,El\xE8ve\r\n")
        << QStringList {firstMessage(3, 2), kFinal} << Files();

    QTest::newRow("empty export: no first message")
        << QByteArray() << QByteArray("1B,1S1\r\n") << false << d << Files() << 1 << QByteArray() << QByteArray()
        << QStringList {kFinal} << Files();

    // A becomes B on the second line, then C on the third; B alone is taken by the first line only.
    QTest::newRow("chained mapping follows the table downwards")
        << QByteArray("UN,Eleve,A\r\nDEUX,Eleve,B\r\n") << QByteArray("B,Z\r\nA,B\r\nB,C\r\n") << false << d << Files()
        << 1 << QByteArray("DEUX,Eleve,Z\r\nUN,Eleve,C\r\n") << QByteArray() << QStringList {firstMessage(2, 0), kFinal}
        << Files();

    QTest::newRow("class listed twice is copied twice")
        << QByteArray("A,B,1\r\nC,D,2\r\n") << QByteArray("1,TS8\r\n2,TS8\r\n") << false << d << Files() << 1
        << QByteArray("A,B,TS8\r\nC,D,TS8\r\nA,B,TS8\r\nC,D,TS8\r\n") << QByteArray()
        << QStringList {firstMessage(2, 0), kFinal} << Files();

    QTest::newRow("two runs append, the error file is made anew")
        << QByteArray("A,B,1\r\nSANS,Classe,\r\n") << QByteArray("1,TS8\r\n") << false << d
        << Files {{QStringLiteral("drives/c/orvo.txt"), "ANCIEN,Eleve,TS8\r\n"}} << 2
        << QByteArray("ANCIEN,Eleve,TS8\r\nA,B,TS8\r\nA,B,TS8\r\n") << QByteArray("SANS,Classe\r\n")
        << QStringList {firstMessage(2, 1), kFinal, firstMessage(2, 1), kFinal} << Files();

    QTest::newRow("lower case with accents, only in the converted file")
        << QByteArray("\xC9LODIE,\x8CUVRE \x9Fves,1\r\nSANS,\xC0"
                      "CLASSE,\r\nINCONNU,\xC9l\xE8ve,Z9\r\n")
        << QByteArray("1,TS8\r\n") << true << d << Files() << 1 << QByteArray("\xE9lodie,\x9Cuvre \xFFves,ts8\r\n")
        << QByteArray("SANS,\xC0"
                      "CLASSE\r\n")
        << QStringList {firstMessage(3, 1), kFinal}
        << Files {{QStringLiteral("drives/d/Z9.txt"), "INCONNU,\xC9l\xE8ve,Z9\r\n"}};

    // Quoted again wherever it holds a comma, so that Velmar reads three fields back.
    QTest::newRow("quoted field with a comma")
        << QByteArray(
               "\"DUPONT, Jr\",Jean,1\r\nMARTIN,\"Anne, Marie\",1\r\n\"  ESPACE\",Luc,1\r\n\"SANS, Nom\",Jo,\r\n")
        << QByteArray("1,TS8\r\n") << false << d << Files() << 1
        << QByteArray("\"DUPONT, Jr\",Jean,TS8\r\nMARTIN,\"Anne, Marie\",TS8\r\nESPACE,Luc,TS8\r\n")
        << QByteArray("\"SANS, Nom\",Jo\r\n") << QStringList {firstMessage(4, 1), kFinal} << Files();

    QTest::newRow("unlisted code stays in its work file, appended")
        << QByteArray("A,B,1\r\nC,D,ZZ\r\nE,F,ZZ\r\n") << QByteArray("1,TS8\r\n") << false << d
        << Files {{QStringLiteral("drives/d/ZZ.txt"), "OLD,X,ZZ\r\n"}} << 1 << QByteArray("A,B,TS8\r\n") << QByteArray()
        << QStringList {firstMessage(3, 0), kFinal}
        << Files {{QStringLiteral("drives/d/ZZ.txt"), "OLD,X,ZZ\r\nC,D,ZZ\r\nE,F,ZZ\r\n"}};

    QTest::newRow("record spanning lines")
        << QByteArray("A,B\r\n1\r\nC\r\nD,2\r\n") << QByteArray("1,TS8\r\n2,1S1\r\n") << false << d << Files() << 1
        << QByteArray("A,B,TS8\r\nC,D,1S1\r\n") << QByteArray() << QStringList {firstMessage(2, 0), kFinal} << Files();

    // The work folder answers regardless of letter case, as the school's drives do.
    QTest::newRow("earlier work file of a listed class comes first, then goes")
        << QByteArray("A,B,1\r\n") << QByteArray("1,TS8\r\n") << false << d
        << Files {{QStringLiteral("drives/d/ts8.txt"), "VIEUX,Eleve,TS8\r\n"}} << 1
        << QByteArray("VIEUX,Eleve,TS8\r\nA,B,TS8\r\n") << QByteArray() << usual << Files();

    QTest::newRow("code spelt like a class name in another case shares its work file")
        << QByteArray("A,B,1\r\nC,D,ts8\r\nE,F,1\r\n") << QByteArray("1,TS8\r\n") << false << d << Files() << 1
        << QByteArray("A,B,TS8\r\nC,D,ts8\r\nE,F,TS8\r\n") << QByteArray() << QStringList {firstMessage(3, 0), kFinal}
        << Files();

    // Pupils of a class whose name cannot name a file still reach the converted file; nothing is
    // written outside the work folder.
    QTest::newRow("class names that cannot be file names")
        << QByteArray("A,B,1\r\nC,D,2\r\nE,F,3\r\nG,H,..\\x\r\n") << QByteArray("1,..\\..\\hors\r\n2,A/B\r\n3,C:D\r\n")
        << false << QStringLiteral("d:\\travail") << Files {{QStringLiteral("drives/d/travail/garder.txt"), "x"}} << 1
        << QByteArray("A,B,..\\..\\hors\r\nC,D,A/B\r\nE,F,C:D\r\n") << QByteArray()
        << QStringList {firstMessage(4, 0), kUnparked, kFinal}
        << Files {{QStringLiteral("drives/d/travail/garder.txt"), "x"}};

    QTest::newRow("work files that cannot be made")
        << QByteArray("A,B,1\r\nC,D,ZZ\r\nE,F,1\r\n") << QByteArray("1,TS8\r\n") << false << d
        << Files {{QStringLiteral("drives/d/TS8.txt/"), {}}, {QStringLiteral("drives/d/ZZ.txt/"), {}}} << 1
        << QByteArray("A,B,TS8\r\nE,F,TS8\r\n") << QByteArray() << QStringList {firstMessage(3, 0), kUnparked, kFinal}
        << Files();
}

void TestConversion::conversion()
{
    QFETCH(QByteArray, exportFile);
    QFETCH(QByteArray, classTable);
    QFETCH(bool, lowerCase);
    QFETCH(QString, workFolder);
    QFETCH(Files, before);
    QFETCH(int, runs);
    QFETCH(QByteArray, converted);
    QFETCH(QByteArray, errors);
    QFETCH(QStringList, messages);
    QFETCH(Files, after);

    m_folder->writeFile(QStringLiteral("drives/c/orvoexcel.txt"), exportFile);
    m_folder->writeFile(QStringLiteral("drives/c/div.txt"), classTable);
    for (auto it = before.cbegin(); it != before.cend(); ++it) {
        if (it.key().endsWith(u'/'))
            QDir(m_folder->path()).mkpath(it.key());
        else
            m_folder->writeFile(it.key(), it.value());
    }
    makeForm();
    box(QStringLiteral("disk"))->setText(workFolder);
    m_form->findChild<QCheckBox *>(QStringLiteral("Check1"))->setChecked(lowerCase);

    for (int i = 0; i < runs; ++i)
        run();

    QCOMPARE(m_folder->readFile(QStringLiteral("drives/c/orvo.txt")), converted);
    QVERIFY(m_folder->exists(QStringLiteral("drives/c/orvo.txt")));
    QCOMPARE(m_folder->readFile(QStringLiteral("drives/c/erreurs.txt")), kBanner + errors);
    QCOMPARE(otherFiles(), after);
    QCOMPARE(status(), QStringLiteral("Traitement terminé"));

    QStringList shown = m_prompts.messages();
    QCOMPARE(shown.size(), messages.size());
    for (int i = 0; i < shown.size(); ++i) {
        if (messages[i] == kUnparked)
            QVERIFY2(shown[i].contains(QStringLiteral("Aucun fichier de travail")), qPrintable(shown[i]));
        else
            QCOMPARE(shown[i], messages[i]);
        QVERIFY(m_prompts.shown[i].title.isEmpty());
        // Full at the first message, back to 0 for the rest.
        const auto [value, maximum] = m_prompts.barAtMessage[i];
        QCOMPARE(value, messages[i].startsWith(QStringLiteral("Analyse")) ? maximum : 0);
    }

    // Velmar reads the converted file back as records of three fields, one per line.
    FieldReader reader(converted);
    qsizetype records = 0;
    while (!reader.atEnd()) {
        reader.record(3);
        ++records;
    }
    QCOMPARE(records, converted.count("\r\n"));
}

void TestConversion::fileThatCannotBeOpened_data()
{
    QTest::addColumn<QString>("boxName");
    QTest::addColumn<QString>("wrongPath");

    QTest::newRow("export") << QStringLiteral("txt_src") << QStringLiteral("c:\\absent.txt");
    QTest::newRow("class table") << QStringLiteral("txt_div") << QStringLiteral("c:\\absent\\div.txt");
    QTest::newRow("work folder on a missing drive") << QStringLiteral("disk") << QStringLiteral("q:");
    QTest::newRow("converted file in a missing folder")
        << QStringLiteral("txt_dest") << QStringLiteral("c:\\absent\\orvo.txt");
    QTest::newRow("error file in a missing folder")
        << QStringLiteral("txt_err") << QStringLiteral("c:\\absent\\erreurs.txt");
    // A NUL would cut the name short: the work folder would become a file, and the converted file's
    // lines would go into another file.
    QTest::newRow("work folder holding a NUL") << QStringLiteral("disk") << QStringLiteral("d:\\travail") + QChar(0);
    QTest::newRow("converted file holding a NUL")
        << QStringLiteral("txt_dest") << QStringLiteral("c:\\orvo.txt") + QChar(0) + QStringLiteral(".old");
}

void TestConversion::fileThatCannotBeOpened()
{
    QFETCH(QString, boxName);
    QFETCH(QString, wrongPath);

    // Drive Q: stands for a drive that is not there: its folder would have to lie inside a file.
    m_folder->writeFile(QStringLiteral("pas-un-dossier"), "x");
    m_folder->writeFile(QStringLiteral("lecteurs.txt"),
        m_folder->readFile(QStringLiteral("lecteurs.txt")) + "Q:,"
            + (m_folder->path() + QStringLiteral("/pas-un-dossier/q")).toUtf8() + "\r\n");
    m_folder->reloadPaths();
    m_folder->writeFile(QStringLiteral("drives/c/orvoexcel.txt"), "A,B,1\r\nC,D,\r\n");
    m_folder->writeFile(QStringLiteral("drives/c/div.txt"), "1,TS8\r\n");
    m_folder->writeFile(QStringLiteral("drives/c/orvo.txt"), "ANCIEN,Eleve,TS8\r\n");
    m_folder->writeFile(QStringLiteral("drives/c/erreurs.txt"), "ancienne liste\r\n");
    const Files untouched = otherFiles();
    makeForm();

    const QString rightPath = box(boxName)->text();
    box(boxName)->setText(wrongPath);
    run();
    QCOMPARE(m_prompts.messages().size(), 1);
    // A control character is shown escaped.
    QVERIFY2(m_prompts.messages().first().contains(ControlCharacters::escaped(wrongPath)),
        qPrintable(m_prompts.messages().first()));
    QCOMPARE(status(), QStringLiteral("Traitement interrompu"));
    QCOMPARE(m_folder->readFile(QStringLiteral("drives/c/orvo.txt")), QByteArray("ANCIEN,Eleve,TS8\r\n"));
    QCOMPARE(m_folder->readFile(QStringLiteral("drives/c/erreurs.txt")), QByteArray("ancienne liste\r\n"));
    QCOMPARE(otherFiles(), untouched);

    // The window stays usable: with the path put right, the next click converts.
    m_prompts.clear();
    box(boxName)->setText(rightPath);
    run();
    QCOMPARE(m_prompts.messages(), (QStringList {firstMessage(2, 1), kFinal}));
    QCOMPARE(m_folder->readFile(QStringLiteral("drives/c/orvo.txt")), QByteArray("ANCIEN,Eleve,TS8\r\nA,B,TS8\r\n"));
}

void TestConversion::largeExportKeepsTheBarMoving()
{
    QByteArray exportFile;
    for (int i = 0; i < 20000; ++i)
        exportFile += "ELEVE" + QByteArray::number(i) + ",Prenom,C" + QByteArray::number(i % 50) + "\r\n";
    QByteArray table;
    for (int c = 0; c < 50; ++c)
        table += "C" + QByteArray::number(c) + ",G" + QByteArray::number(c) + "\r\n";
    m_folder->writeFile(QStringLiteral("drives/c/orvoexcel.txt"), exportFile);
    m_folder->writeFile(QStringLiteral("drives/c/div.txt"), table);
    makeForm(0);
    m_form->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));

    // The bar is seen between the start and the end of the pass, not only full.
    QList<int> seen;
    auto *bar = m_prompts.bar;
    connect(bar, &QProgressBar::valueChanged, this, [&](int value) { seen.append(value); });
    run();
    QVERIFY2(std::any_of(seen.cbegin(), seen.cend(), [](int v) { return v > 0 && v < 20000; }),
        qPrintable(QStringLiteral("%1 values").arg(seen.size())));
    QCOMPARE(m_prompts.messages().last(), kFinal);
    QCOMPARE(m_folder->readFile(QStringLiteral("drives/c/orvo.txt")).count("\r\n"), 20000);
}

QTEST_MAIN(TestConversion)
#include "tst_conversion.moc"
