#include "pupilcheck.h"

#include "directory/directory.h"
#include "directory/directorypath.h"
#include "directory/dirpaths.h"
#include "pupilnaming.h"
#include "text/pathresolver.h"
#include "text/textwriter.h"
#include "text/windowsnames.h"

#include <QFileInfo>
#include <QHash>
#include <QSet>

namespace {

// Every account and every group of the domain, by the key under which the directory compares names.
struct DomainNames
{
    QSet<QString> accounts;
    QSet<QString> groups;
};

Result<DomainNames> listDomain(Directory &directory, const QString &serverName)
{
    const auto cannotRead = [](const Status &why) {
        return Result<DomainNames>::failure(QStringLiteral("L'annuaire n'a pas pu être lu : ") + why.message());
    };
    auto container = directory.bind(DirPaths::container(serverName));
    if (!container)
        return cannotRead(container.status());
    DomainNames names;
    // One request for both: accounts and groups come in the same listing.
    const Status listed = (*container)->enumerate({}, [&names](const DirEntry &entry) {
        (entry.kind == DirKind::Group ? names.groups : names.accounts).insert(DirNames::key(entry.name));
    });
    if (!listed)
        return cannotRead(listed);
    return names;
}

bool isEmptyField(const QString &value)
{
    return value.trimmed().isEmpty();
}

} // namespace

QString PupilCheckRow::problemText() const
{
    return problems.join(QStringLiteral("; "));
}

QString PupilCheck::emptyField()
{
    return QStringLiteral("champ vide");
}

QString PupilCheck::loginTakenByLine(int line)
{
    return QStringLiteral("identifiant déjà pris par la ligne ") + QString::number(line);
}

QString PupilCheck::accountExists()
{
    return QStringLiteral("compte déjà existant dans le domaine");
}

QString PupilCheck::loginTooLong()
{
    return QStringLiteral("identifiant de plus de 20 caractères");
}

QString PupilCheck::loginRefused()
{
    return QStringLiteral("identifiant refusé par le domaine");
}

QString PupilCheck::folderNameRefused()
{
    return QStringLiteral("nom refusé pour un dossier : ni dossier ni partage");
}

QString PupilCheck::classGroupMissing()
{
    return QStringLiteral("groupe de la classe absent du domaine");
}

QString PupilCheck::classFolderMissing()
{
    return QStringLiteral("dossier de la classe absent");
}

Result<QList<PupilCheckRow>> PupilCheck::run(const Input &input)
{
    // The file first: without it there is nothing to ask the directory about.
    auto pupils = PupilFile::open(input.pupilFile, m_paths);
    if (!pupils)
        return pupils.status();
    const auto domain = listDomain(m_directory, input.serverName);
    if (!domain)
        return domain.status();

    QHash<QString, int> firstLineOfLogin;
    // Pupils come class by class: each class folder is looked for once.
    QHash<QString, bool> classFolderThere;
    QList<PupilCheckRow> rows;
    while (!pupils->atEnd()) {
        PupilCheckRow row;
        row.line = int(rows.size()) + 1;
        row.pupil = pupils->next();
        const PupilRecord &pupil = row.pupil;
        row.login = WindowsNames::pupilLogin(pupil.surname, pupil.firstNames, pupil.className);
        const QString loginKey = DirNames::key(row.login);
        const bool hasClass = !isEmptyField(pupil.className);

        if (isEmptyField(pupil.surname) || isEmptyField(pupil.firstNames) || !hasClass)
            row.problems << emptyField();
        if (!row.login.isEmpty()) {
            const auto first = firstLineOfLogin.constFind(loginKey);
            if (first != firstLineOfLogin.cend())
                row.problems << loginTakenByLine(*first);
            else
                firstLineOfLogin.insert(loginKey, row.line);
        }
        if (domain->accounts.contains(loginKey))
            row.problems << accountExists();
        const bool tooLong = row.login.size() > DirNames::maxUserName;
        if (tooLong)
            row.problems << loginTooLong();
        // The domain's other rules for an account name (no comma, no final dot...), its length aside.
        if (!row.login.isEmpty()
            && !DirNames::checkName(DirKind::User, tooLong ? row.login.left(DirNames::maxUserName) : row.login))
            row.problems << loginRefused();
        if (!PupilNaming::hasFolderNames(pupil.className, row.login))
            row.problems << folderNameRefused();
        if (hasClass && !domain->groups.contains(DirNames::key(pupil.className)))
            row.problems << classGroupMissing();
        // A class that names no folder has been reported already; its path is not looked at.
        if (hasClass && WindowsNames::isFolderName(pupil.className)) {
            auto there = classFolderThere.constFind(pupil.className);
            if (there == classFolderThere.cend()) {
                const QString folder = PupilNaming::classHomeFolder(input.homeRoot, pupil.className);
                there = classFolderThere.insert(pupil.className, QFileInfo(m_paths.lookUp(folder)).isDir());
            }
            if (!*there)
                row.problems << classFolderMissing();
        }
        rows.append(std::move(row));
    }
    return rows;
}

QString PupilCheck::summary(const QList<PupilCheckRow> &rows)
{
    const auto clean = std::count_if(rows.cbegin(), rows.cend(), [](const PupilCheckRow &row) { return row.clean(); });
    return QStringLiteral("%1 élèves : %2 sans problème, %3 avec un problème.")
        .arg(rows.size())
        .arg(clean)
        .arg(rows.size() - clean);
}

QString PupilCheck::reportPath(const QString &systemVolume)
{
    return systemVolume + QStringLiteral("\\verification.csv");
}

const QStringList &PupilCheck::columns()
{
    static const QStringList names = {QStringLiteral("Ligne"), QStringLiteral("Identifiant"), QStringLiteral("Nom"),
        QStringLiteral("Prénom"), QStringLiteral("Classe"), QStringLiteral("Problème")};
    return names;
}

QStringList PupilCheck::reportLines(const QList<PupilCheckRow> &rows)
{
    QStringList lines;
    lines.reserve(rows.size() + 1);
    lines.append(csvLine(columns()));
    for (const PupilCheckRow &row : rows)
        lines.append(csvLine({QString::number(row.line), row.login, row.pupil.surname, row.pupil.firstNames,
            row.pupil.className, row.problemText()}));
    return lines;
}
