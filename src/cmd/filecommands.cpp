#include "filecommands.h"

#include "commandwords.h"
#include "console.h"
#include "pathguard.h"
#include "text/pathresolver.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

namespace {

constexpr int kFailed = 1;

QString syntaxError()
{
    return QStringLiteral("La syntaxe de la commande n'est pas correcte.");
}

bool hasWildcard(const QString &text)
{
    return text.contains(u'*') || text.contains(u'?');
}

qsizetype lastSeparator(const QString &word)
{
    return std::max(word.lastIndexOf(u'\\'), word.lastIndexOf(u'/'));
}

// "*" and "?" as the Windows file system reads them, without regard to case; "*.*" means every file.
QRegularExpression wildcardPattern(const QString &pattern)
{
    const QString wanted = pattern == QStringLiteral("*.*") ? QStringLiteral("*") : pattern;
    QString expression;
    for (const QChar c : wanted) {
        if (c == u'*')
            expression += QStringLiteral(".*");
        else if (c == u'?')
            expression += u'.';
        else
            expression += QRegularExpression::escape(QString(c));
    }
    return QRegularExpression(
        QRegularExpression::anchoredPattern(expression), QRegularExpression::CaseInsensitiveOption);
}

// Removes a file, a link or a whole folder tree without following links; what cannot go is named in
// failures and the rest still goes.
bool removeTree(const QString &path, QStringList &failures)
{
    const QFileInfo info(path);
    if (info.isSymLink() || !info.isDir()) {
        if (QFile::remove(path))
            return true;
        failures.append(path);
        return false;
    }
    bool removed = true;
    const QFileInfoList entries
        = QDir(path).entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QFileInfo &entry : entries)
        removed = removeTree(entry.absoluteFilePath(), failures) && removed;
    if (!QDir().rmdir(path)) {
        failures.append(path);
        return false;
    }
    return removed;
}

// Deletes the files of folder whose names match, and those of its subfolders when recursive; folders
// and links to folders stay. Returns how many files went.
int deleteMatching(const QString &folder, const QRegularExpression &pattern, bool recursive, QStringList &failures)
{
    int deleted = 0;
    const QFileInfoList entries
        = QDir(folder).entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QFileInfo &entry : entries) {
        if (entry.isDir()) {
            if (recursive && !entry.isSymLink())
                deleted += deleteMatching(entry.absoluteFilePath(), pattern, recursive, failures);
            continue;
        }
        if (!pattern.match(entry.fileName()).hasMatch())
            continue;
        if (QFile::remove(entry.absoluteFilePath()))
            ++deleted;
        else
            failures.append(entry.absoluteFilePath());
    }
    return deleted;
}

} // namespace

int FileCommands::makeFolder(const QStringList &words)
{
    auto parsed = CommandWords::split(words, {});
    if (!parsed || parsed->operands.isEmpty()) {
        m_console.error(parsed ? syntaxError() : parsed.message());
        return kFailed;
    }
    int code = 0;
    for (const QString &word : std::as_const(parsed->operands)) {
        const QString host = m_paths.toHost(word);
        if (Status allowed = m_guard.allows(PathGuard::Act::Create, word, host); !allowed) {
            m_console.error(allowed.message());
            code = kFailed;
            continue;
        }
        const QFileInfo info(host);
        if (info.exists() || info.isSymLink()) {
            m_console.error(info.isDir() ? QStringLiteral("Le dossier %1 existe déjà.").arg(word)
                                         : QStringLiteral("Un fichier nommé %1 existe déjà.").arg(word));
            code = kFailed;
        } else if (!QDir().mkpath(host)) {
            m_console.error(QStringLiteral("Impossible de créer le dossier %1.").arg(word));
            code = kFailed;
        }
    }
    return code;
}

int FileCommands::removeFolder(const QStringList &words)
{
    auto parsed = CommandWords::split(words, QStringLiteral("sq"));
    if (!parsed || parsed->operands.isEmpty()) {
        m_console.error(parsed ? syntaxError() : parsed.message());
        return kFailed;
    }
    const bool tree = parsed->has(u's');
    int code = 0;
    for (const QString &word : std::as_const(parsed->operands)) {
        const QString host = m_paths.toHost(word);
        if (Status allowed = m_guard.allows(PathGuard::Act::Remove, word, host); !allowed) {
            m_console.error(allowed.message());
            code = kFailed;
            continue;
        }
        const QFileInfo info(host);
        if (!info.exists() && !info.isSymLink()) {
            m_console.error(QStringLiteral("Le dossier %1 est introuvable.").arg(word));
            code = kFailed;
            continue;
        }
        if (!info.isDir()) {
            m_console.error(QStringLiteral("%1 n'est pas un dossier.").arg(word));
            code = kFailed;
            continue;
        }
        if (info.isSymLink()) {
            // A link goes alone; what it points to stays.
            if (!QFile::remove(host)) {
                m_console.error(QStringLiteral("Impossible de supprimer %1.").arg(word));
                code = kFailed;
            }
            continue;
        }
        if (!tree) {
            if (!QDir().rmdir(host)) {
                m_console.error(QStringLiteral("Le dossier %1 n'est pas vide.").arg(word));
                code = kFailed;
            }
            continue;
        }
        if (!parsed->has(u'q') && !m_console.confirm(QStringLiteral("%1, êtes-vous sûr").arg(word)))
            continue;
        QStringList failures;
        if (!removeTree(host, failures)) {
            m_console.error(QStringLiteral("Certains éléments de %1 n'ont pas pu être supprimés, dont %2.")
                                .arg(word, failures.first()));
            code = kFailed;
        }
    }
    return code;
}

int FileCommands::deleteFiles(const QStringList &words)
{
    auto parsed = CommandWords::split(words, QStringLiteral("qsf"));
    if (!parsed || parsed->operands.isEmpty()) {
        m_console.error(parsed ? syntaxError() : parsed.message());
        return kFailed;
    }
    const bool recursive = parsed->has(u's');
    int code = 0;
    for (const QString &word : std::as_const(parsed->operands)) {
        // A folder means all its files; a name with "*" or "?" the files it matches; else one file.
        const qsizetype cut = lastSeparator(word);
        const QString lastPart = word.mid(cut + 1);
        const QString parentWord = cut < 0 ? QString() : word.left(cut + 1);
        QString folder;
        QString pattern;
        bool whole = true;
        const QString host = m_paths.toHost(word);
        const QFileInfo info(host);
        if (info.isDir() && !info.isSymLink()) {
            folder = host;
            pattern = QStringLiteral("*");
        } else if (hasWildcard(lastPart)) {
            folder = m_paths.toHost(parentWord);
            pattern = lastPart;
        } else {
            folder = info.absolutePath();
            pattern = info.fileName();
            whole = false;
        }
        // A relative name lies in the program folder, which the guard then refuses as a whole.
        const Status allowed = whole || recursive
            ? m_guard.allows(recursive ? PathGuard::Act::EmptyTree : PathGuard::Act::EmptyFolder, word, folder)
            : m_guard.allows(PathGuard::Act::Remove, word, host);
        if (!allowed) {
            m_console.error(allowed.message());
            code = kFailed;
            continue;
        }
        if (!QFileInfo(folder).isDir()) {
            m_console.error(QStringLiteral("Le chemin d'accès %1 est introuvable.").arg(word));
            code = kFailed;
            continue;
        }
        if (whole && !parsed->has(u'q')
            && !m_console.confirm(QStringLiteral("%1\\%2, êtes-vous sûr").arg(word, pattern)))
            continue;
        QStringList failures;
        const int deleted = deleteMatching(folder, wildcardPattern(pattern), recursive, failures);
        if (!failures.isEmpty()) {
            m_console.error(QStringLiteral("Impossible de supprimer %1.").arg(failures.join(QStringLiteral(", "))));
            code = kFailed;
        } else if (deleted == 0 && !whole) {
            m_console.error(QStringLiteral("Fichier introuvable : %1").arg(word));
            code = kFailed;
        }
    }
    return code;
}

int FileCommands::rename(const QStringList &words)
{
    auto parsed = CommandWords::split(words, {});
    if (!parsed || parsed->operands.size() != 2) {
        m_console.error(parsed ? syntaxError() : parsed.message());
        return kFailed;
    }
    const QString &word = parsed->operands[0];
    const QString &newName = parsed->operands[1];
    if (newName.trimmed().isEmpty()) {
        m_console.error(QStringLiteral("Renommage refusé : le nouveau nom est vide."));
        return kFailed;
    }
    if (lastSeparator(newName) >= 0 || newName.contains(u':') || hasWildcard(newName) || newName == QStringLiteral(".")
        || newName == QStringLiteral("..")) {
        m_console.error(QStringLiteral("Le nouveau nom « %1 » doit être un simple nom, sans dossier.").arg(newName));
        return kFailed;
    }
    // The new name is a plain name: the entry stays in its folder, which the guard checks.
    const QString host = m_paths.toHost(word);
    if (Status allowed = m_guard.allows(PathGuard::Act::Rename, word, host); !allowed) {
        m_console.error(allowed.message());
        return kFailed;
    }
    const QFileInfo info(host);
    if (!info.exists() && !info.isSymLink()) {
        m_console.error(QStringLiteral("Le fichier %1 est introuvable.").arg(word));
        return kFailed;
    }
    if (info.fileName() == newName)
        return 0;
    // The Windows file system sees "Liste.txt" and "liste.txt" as one name: never replace a file.
    const QStringList siblings
        = QDir(info.absolutePath()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QString &sibling : siblings) {
        if (sibling != info.fileName() && sibling.compare(newName, Qt::CaseInsensitive) == 0) {
            m_console.error(QStringLiteral("Un fichier nommé %1 existe déjà.").arg(newName));
            return kFailed;
        }
    }
    if (!QDir().rename(host, info.absolutePath() + u'/' + newName)) {
        m_console.error(QStringLiteral("Impossible de renommer %1 en %2.").arg(word, newName));
        return kFailed;
    }
    return 0;
}
