#include "maillists.h"

#include "text/fieldreader.h"
#include "text/windowsnames.h"

#include <QHash>

namespace {

// Gathers the addresses of every list. A name that differs only in letter case names the same file,
// as on the server's file system.
class Gatherer
{
public:
    explicit Gatherer(const QString &folder)
        : m_folder(folder)
    {
    }

    void add(const QString &fileName, const QString &address)
    {
        const QString key = fileName.toLower();
        auto found = m_index.constFind(key);
        if (found == m_index.constEnd()) {
            found = m_index.insert(key, m_files.size());
            m_files.append({m_folder + u'/' + fileName, {}});
        }
        m_files[*found].lines.append(address);
    }
    QList<MailLists::File> take() { return std::move(m_files); }

private:
    const QString &m_folder;
    QList<MailLists::File> m_files;
    QHash<QString, qsizetype> m_index;
};

void addClassLists(Gatherer &lists, QStringList &notes, const QByteArray &pupils)
{
    FieldReader reader(pupils);
    QHash<QString, int> refused;
    QStringList refusedOrder;
    while (!reader.atEnd()) {
        const QStringList record = reader.record(3);
        const QString &surname = record[0];
        const QString &firstNames = record[1];
        const QString &className = record[2];
        if (surname.isEmpty() && firstNames.isEmpty() && className.isEmpty())
            continue; // a stray blank line is no pupil
        // The class names a file of the list folder, and no command line.
        const QString listName = className + QStringLiteral("mail.txt");
        if (!WindowsNames::isFileName(listName)) {
            if (!refused.contains(className))
                refusedOrder.append(className);
            ++refused[className];
            continue;
        }
        lists.add(listName, MailLists::address(WindowsNames::pupilLogin(surname, firstNames, className)));
    }
    for (const QString &className : std::as_const(refusedOrder))
        notes << QStringLiteral("Classe « %1 » ignorée : son nom ne peut pas servir de nom de fichier (%2 élève(s)).")
                     .arg(className)
                     .arg(refused.value(className));
}

// The account list and the teacher list hold one login per field.
void addLoginList(Gatherer &lists, QStringList &notes, const std::optional<QByteArray> &source,
    const QString &sourceName, const QString &listName, const QString &what)
{
    if (!source) {
        notes << QStringLiteral("%1 « %2 » introuvable dans le dossier du programme (%3 n'a pas été écrit).")
                     .arg(what, sourceName, listName);
        return;
    }
    FieldReader reader(*source);
    while (!reader.atEnd()) {
        const QString login = reader.field();
        if (!login.isEmpty())
            lists.add(listName, MailLists::address(login));
    }
}

} // namespace

MailLists MailLists::build(const MailSources &sources)
{
    Gatherer lists(sources.listFolder);
    MailLists built;
    if (sources.pupilFile.trimmed().isEmpty())
        built.notes << QStringLiteral(
            "Aucun fichier Orvo converti n'est indiqué : aucune liste de classe n'a été écrite.");
    else if (!sources.pupils)
        built.notes << QStringLiteral("Fichier Orvo converti introuvable : ") + sources.pupilFile
                + QStringLiteral(" (aucune liste de classe n'a été écrite).");
    else
        addClassLists(lists, built.notes, *sources.pupils);
    addLoginList(lists, built.notes, sources.accounts, kAccountSource, QStringLiteral("eleves.txt"),
        QStringLiteral("Liste des comptes"));
    addLoginList(lists, built.notes, sources.teachers, kTeacherSource, QStringLiteral("profs.txt"),
        QStringLiteral("Liste des professeurs"));
    built.files = lists.take();
    return built;
}
