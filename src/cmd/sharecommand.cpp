#include "sharecommand.h"

#include "console.h"
#include "pathguard.h"
#include "sharestore.h"
#include "text/pathresolver.h"

#include <QFileInfo>

namespace {

constexpr int kFailed = 1;
constexpr int kMaxNameLength = 80;

bool isOption(const QString &word, const char *name)
{
    return word.compare(QLatin1String(name), Qt::CaseInsensitive) == 0;
}

bool hasOptionPrefix(const QString &word, const char *prefix)
{
    return word.startsWith(QLatin1String(prefix), Qt::CaseInsensitive);
}

// Characters a share name cannot hold on the school's network (control characters are refused before).
bool validShareName(const QString &name)
{
    if (name.isEmpty() || name.size() > kMaxNameLength || name.trimmed() != name)
        return false;
    for (const QChar c : name) {
        if (QStringLiteral("\"/\\[]:|<>+=;,?*").contains(c))
            return false;
    }
    return true;
}

QString padded(const QString &text, int width)
{
    return text.size() >= width ? text + u' ' : text.leftJustified(width);
}

} // namespace

int ShareCommand::run(const QStringList &words)
{
    if (words.isEmpty() || words.first().compare(QStringLiteral("share"), Qt::CaseInsensitive) != 0) {
        m_console.error(QStringLiteral("Commande NET non prise en charge : « net %1 ». Seul « net share » est connu.")
                            .arg(words.join(u' ')));
        return kFailed;
    }
    const QStringList rest = words.mid(1);
    if (rest.isEmpty())
        return list();

    const QString target = rest.first();
    bool remove = false;
    QString remark;
    QStringList pathWords;
    for (qsizetype i = 1; i < rest.size(); ++i) {
        const QString &word = rest[i];
        if (isOption(word, "/delete") || isOption(word, "/del")) {
            remove = true;
        } else if (isOption(word, "/y") || isOption(word, "/yes") || isOption(word, "/unlimited")
            || hasOptionPrefix(word, "/users:")) {
            // No question is ever asked and the number of users is not limited here.
        } else if (hasOptionPrefix(word, "/remark:")) {
            remark = word.mid(int(qstrlen("/remark:")));
            // A remark given in several words runs up to the next option.
            while (i + 1 < rest.size() && !rest[i + 1].startsWith(u'/'))
                remark += u' ' + rest[++i];
            remark.remove(u'"');
        } else if (word.startsWith(u'/') && word.indexOf(u'/', 1) < 0) {
            m_console.error(QStringLiteral("Option non valide : « %1 ».").arg(word));
            return kFailed;
        } else {
            pathWords.append(word);
        }
    }

    const qsizetype equals = target.indexOf(u'=');
    if (remove) {
        if (equals >= 0 || !pathWords.isEmpty()) {
            m_console.error(QStringLiteral("La syntaxe de la commande n'est pas correcte : net share NOM /delete."));
            return kFailed;
        }
        return this->remove(target);
    }
    if (equals < 0) {
        if (!pathWords.isEmpty() || !remark.isEmpty()) {
            m_console.error(QStringLiteral("La syntaxe de la commande n'est pas correcte : net share NOM=DOSSIER."));
            return kFailed;
        }
        return show(target);
    }
    // Lines are joined with single spaces and paths are not quoted: words after the path are the
    // rest of a path that held spaces.
    const QString path = (QStringList {target.mid(equals + 1)} + pathWords).join(u' ');
    return add(target.left(equals), path, remark);
}

int ShareCommand::list()
{
    auto shares = m_store.list();
    if (!shares) {
        m_console.error(shares.message());
        return kFailed;
    }
    m_console.print(padded(QStringLiteral("Nom partage"), 24) + padded(QStringLiteral("Ressource"), 40)
        + QStringLiteral("Remarque"));
    m_console.print(QString(79, u'-'));
    for (const Share &share : std::as_const(*shares))
        m_console.print(padded(share.name, 24) + padded(share.path, 40) + share.remark);
    m_console.print(QStringLiteral("La commande s'est terminée correctement."));
    return 0;
}

int ShareCommand::show(const QString &name)
{
    auto shares = m_store.list();
    if (!shares) {
        m_console.error(shares.message());
        return kFailed;
    }
    for (const Share &share : std::as_const(*shares)) {
        if (share.name.compare(name, Qt::CaseInsensitive) != 0)
            continue;
        m_console.print(padded(QStringLiteral("Nom partage"), 24) + share.name);
        m_console.print(padded(QStringLiteral("Chemin"), 24) + share.path);
        m_console.print(padded(QStringLiteral("Dossier"), 24) + share.hostPath);
        m_console.print(padded(QStringLiteral("Remarque"), 24) + share.remark);
        m_console.print(QStringLiteral("La commande s'est terminée correctement."));
        return 0;
    }
    m_console.error(QStringLiteral("Le partage « %1 » n'existe pas.").arg(name));
    return kFailed;
}

int ShareCommand::add(const QString &name, const QString &path, const QString &remark)
{
    if (Status text = Share {name, path, QString(), remark}.checkText(); !text) {
        m_console.error(text.message());
        return kFailed;
    }
    if (!validShareName(name)) {
        m_console.error(QStringLiteral("Le nom de partage « %1 » n'est pas valide.").arg(name));
        return kFailed;
    }
    if (path.trimmed().isEmpty() || path.contains(u'"')) {
        m_console.error(QStringLiteral("Le dossier à partager sous « %1 » n'est pas valide.").arg(name));
        return kFailed;
    }
    const QString host = m_paths.toHost(path);
    if (!QFileInfo(host).isDir()) {
        m_console.error(QStringLiteral("Le dossier %1 n'existe pas : « %2 » n'est pas partagé.").arg(path, name));
        return kFailed;
    }
    const bool mayGive = m_guard.mayGiveToAccount(host);
    if (Status added = m_store.add(Share {name, path, host, remark, mayGive}); !added) {
        m_console.error(added.message());
        return kFailed;
    }
    if (!mayGive && name.endsWith(u'$') && m_store.givesFoldersToAccounts())
        m_console.error(
            QStringLiteral("%1 n'est pas un dossier à l'intérieur d'un lecteur : il est partagé sous « %2 » "
                           "sans changer de propriétaire.")
                .arg(path, name));
    m_console.print(QStringLiteral("%1 a été partagé.").arg(name));
    return 0;
}

int ShareCommand::remove(const QString &name)
{
    if (Status removed = m_store.remove(name); !removed) {
        m_console.error(removed.message());
        return kFailed;
    }
    m_console.print(QStringLiteral("%1 a été supprimé.").arg(name));
    return 0;
}
