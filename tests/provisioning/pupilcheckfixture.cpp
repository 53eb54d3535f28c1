#include "pupilcheckfixture.h"

#include "provisioning/verifeleves.h"
#include "provisioningfixture.h"
#include "ui/dialoghost.h"

#include <QCheckBox>
#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// The table's rows as shown, cell by cell.
QList<QStringList> shownRows(const QTableWidget *table)
{
    QList<QStringList> rows;
    for (int row = 0; row < table->rowCount(); ++row) {
        if (table->isRowHidden(row))
            continue;
        QStringList cells;
        for (int column = 0; column < table->columnCount(); ++column)
            cells << table->item(row, column)->text();
        rows << cells;
    }
    return rows;
}

} // namespace

Status prepareSampleSchool(PanelFixture &f)
{
    auto container = f.directory->bind(f.ads());
    if (!container)
        return container.status();
    const auto make = [&](DirKind kind, const QString &name) {
        auto made = (*container)->create(kind, name);
        const Status stored = made ? (*made)->setInfo() : made.status();
        return stored ? stored : Status::failure(name + QStringLiteral(" : ") + stored.message());
    };
    for (const QString &group : {QStringLiteral("eleves"), QStringLiteral("profs"), QStringLiteral("TS8"),
             QStringLiteral("1S2"), QStringLiteral("TERMINALE-S")}) {
        if (Status made = make(DirKind::Group, group); !made)
            return made;
    }
    if (Status made = make(DirKind::User, QStringLiteral("TS8DURANDNoé")); !made)
        return made;
    for (const QString &className : {QStringLiteral("TS8"), QStringLiteral("TERMINALE-S"), QStringLiteral("2A")}) {
        const QString folder = f.host(QStringLiteral("E:\\Perso\\eleves\\") + className);
        if (!QDir().mkpath(folder))
            return Status::failure(QStringLiteral("Impossible de créer ") + folder);
    }
    // One record for each problem, and two clean records (the first and the last).
    f.write(QStringLiteral("C:\\ORVO.txt"),
        pupilFileBytes({
            QStringLiteral("MARTIN,Paul,TS8"),
            QStringLiteral("MARTIN,Paulette,TS8"),
            QStringLiteral("LEROY,,TS8"),
            QStringLiteral("DURAND,Noé,TS8"),
            QStringLiteral("DUPONT-LAJOIE,Jean-Pierre,TERMINALE-S"),
            QStringLiteral("\"BERNARD, Jr\",Hugo,TS8"),
            QStringLiteral("O&BRIEN,Ann,TS8"),
            QStringLiteral("PETIT,Léo,2A"),
            QStringLiteral("ROUX,Inès,1S2"),
            QStringLiteral("LÉVÊQUE,Zoé,TS8"),
        }));
    return {};
}

QStringList directorySnapshot(PanelFixture &f)
{
    QList<DirEntry> entries;
    auto container = f.directory->bind(f.ads());
    if (!container)
        return {container.message()};
    const Status listed = (*container)->enumerate({}, [&](const DirEntry &entry) { entries << entry; });
    if (!listed)
        return {listed.message()};
    QStringList seen;
    for (const DirEntry &entry : std::as_const(entries)) {
        QString line = classNameOf(entry.kind) + u' ' + entry.name;
        if (entry.kind == DirKind::Group) {
            QStringList members = f.memberNames(f.ads(u'/' + entry.name + QStringLiteral(",group")));
            members.sort();
            line += QStringLiteral(" : ") + members.join(u' ');
        } else {
            for (const DirProperty property :
                {DirProperty::FullName, DirProperty::Description, DirProperty::HomeDirectory, DirProperty::LoginScript})
                line += QStringLiteral(" | ") + f.property(f.ads(u'/' + entry.name), property).toString();
        }
        seen << line;
    }
    seen.sort();
    return seen;
}

QStringList folderSnapshot(const QString &folder)
{
    QStringList seen;
    QDirIterator it(
        folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo info = it.nextFileInfo();
        if (info.fileName().endsWith(QStringLiteral("-shm")))
            continue;
        QString line = QDir(folder).relativeFilePath(info.filePath());
        if (info.isFile()) {
            QFile file(info.filePath());
            if (file.open(QIODevice::ReadOnly))
                line += u' ' + QString::number(info.size()) + u' '
                    + QString::fromLatin1(QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha1).toHex());
        }
        seen << line;
    }
    seen.sort();
    return seen;
}

void checkPupilFileThroughTheDialog(PanelFixture &f)
{
    const Status prepared = prepareSampleSchool(f);
    QVERIFY2(prepared.ok(), qPrintable(prepared.message()));
    const QStringList directoryBefore = directorySnapshot(f);
    const QStringList foldersBefore = folderSnapshot(f.folder.path());

    DialogHost &host = f.dialogs;
    auto *dialog = host.open<VerifEleves>(f.services);
    QVERIFY(dialog);
    QVERIFY(QTest::qWaitForWindowExposed(dialog));
    // One window, without an owner, that leaves the main window usable.
    QCOMPARE(host.open<VerifEleves>(f.services), dialog);
    QVERIFY(!dialog->parentWidget());
    QCOMPARE(dialog->windowModality(), Qt::NonModal);
    QCOMPARE(dialog->windowTitle(), QStringLiteral("Vérification avant la création des utilisateurs"));
    QCOMPARE(dialog->txtOrvo->text(), QStringLiteral("C:\\ORVO.txt"));
    QVERIFY(dialog->check1->isChecked());
    QCOMPARE(dialog->lstVerif->rowCount(), 0);
    QVERIFY(!dialog->cmdRapport->isEnabled());

    dialog->cmdVerifier->click();
    QCOMPARE(f.prompts.messages(), QStringList());
    QCOMPARE(dialog->cmdVerifier->text(), QStringLiteral("Vérifier"));
    const QList<QStringList> all = {
        {u"1"_s, u"TS8MARTINPaul"_s, u"MARTIN"_s, u"Paul"_s, u"TS8"_s, u""_s},
        {u"2"_s, u"TS8MARTINPaul"_s, u"MARTIN"_s, u"Paulette"_s, u"TS8"_s, u"identifiant déjà pris par la ligne 1"_s},
        {u"3"_s, u"TS8LEROY"_s, u"LEROY"_s, u""_s, u"TS8"_s, u"champ vide"_s},
        {u"4"_s, u"TS8DURANDNoé"_s, u"DURAND"_s, u"Noé"_s, u"TS8"_s, u"compte déjà existant dans le domaine"_s},
        {u"5"_s, u"TERMINALE-SDUPONT-LAJ"_s, u"DUPONT-LAJOIE"_s, u"Jean-Pierre"_s, u"TERMINALE-S"_s,
            u"identifiant de plus de 20 caractères"_s},
        {u"6"_s, u"TS8BERNARD, J"_s, u"BERNARD, Jr"_s, u"Hugo"_s, u"TS8"_s, u"identifiant refusé par le domaine"_s},
        {u"7"_s, u"TS8O&BRIENAnn"_s, u"O&BRIEN"_s, u"Ann"_s, u"TS8"_s,
            u"nom refusé pour un dossier : ni dossier ni partage"_s},
        {u"8"_s, u"2APETITLéo"_s, u"PETIT"_s, u"Léo"_s, u"2A"_s, u"groupe de la classe absent du domaine"_s},
        {u"9"_s, u"1S2ROUXInès"_s, u"ROUX"_s, u"Inès"_s, u"1S2"_s, u"dossier de la classe absent"_s},
        {u"10"_s, u"TS8LÉVÊQUEZoé"_s, u"LÉVÊQUE"_s, u"Zoé"_s, u"TS8"_s, u""_s},
    };
    QCOMPARE(shownRows(dialog->lstVerif), all.mid(1, 8));
    QCOMPARE(dialog->lblResume->text(), QStringLiteral("10 élèves : 2 sans problème, 8 avec un problème."));
    dialog->check1->click();
    QCOMPARE(shownRows(dialog->lstVerif), all);
    dialog->check1->click();
    QCOMPARE(shownRows(dialog->lstVerif).size(), 8);

    // Every row goes to the report, the clean ones too.
    dialog->cmdRapport->click();
    QCOMPARE(f.prompts.messages(),
        QStringList {QStringLiteral("Le rapport a été enregistré dans le fichier C:\\verification.csv")});
    QCOMPARE(f.read(QStringLiteral("C:\\verification.csv")),
        QByteArray("Ligne,Identifiant,Nom,Pr\xe9nom,Classe,Probl\xe8me\r\n"
                   "1,TS8MARTINPaul,MARTIN,Paul,TS8,\r\n"
                   "2,TS8MARTINPaul,MARTIN,Paulette,TS8,identifiant d\xe9j\xe0 pris par la ligne 1\r\n"
                   "3,TS8LEROY,LEROY,,TS8,champ vide\r\n"
                   "4,TS8DURANDNo\xe9,DURAND,No\xe9,TS8,compte d\xe9j\xe0 existant dans le domaine\r\n"
                   "5,TERMINALE-SDUPONT-LAJ,DUPONT-LAJOIE,Jean-Pierre,TERMINALE-S,"
                   "identifiant de plus de 20 caract\xe8res\r\n"
                   "6,\"TS8BERNARD, J\",\"BERNARD, Jr\",Hugo,TS8,identifiant refus\xe9 par le domaine\r\n"
                   "7,TS8O&BRIENAnn,O&BRIEN,Ann,TS8,nom refus\xe9 pour un dossier : ni dossier ni partage\r\n"
                   "8,2APETITL\xe9o,PETIT,L\xe9o,2A,groupe de la classe absent du domaine\r\n"
                   "9,1S2ROUXIn\xe8s,ROUX,In\xe8s,1S2,dossier de la classe absent\r\n"
                   "10,TS8L\xc9V\xcaQUEZo\xe9,L\xc9V\xcaQUE,Zo\xe9,TS8,\r\n"));

    // Nothing else was written: not to the directory, not to the disk, and no command was started.
    QCOMPARE(directorySnapshot(f), directoryBefore);
    QStringList foldersAfter = folderSnapshot(f.folder.path());
    foldersAfter.removeIf(
        [](const QString &line) { return line.startsWith(QStringLiteral("drives/c/verification.csv")); });
    QCOMPARE(foldersAfter, foldersBefore);
    QCOMPARE(f.shell.lines(), QStringList());

    host.closeAll();
}
