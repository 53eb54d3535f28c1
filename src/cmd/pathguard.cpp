#include "pathguard.h"

#include "text/pathresolver.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>

#include <climits>
#include <optional>

#include <unistd.h>

namespace {

// As many links as the system itself follows in one path before it gives up.
constexpr int kMaxLinks = 40;

bool covers(const QString &folder, const QString &path)
{
    return folder == path || folder == QStringLiteral("/") || path.startsWith(folder + u'/');
}

// Paths are compared whole: one given relative to the current folder is made absolute first.
QString absolute(const QString &path)
{
    return QDir::cleanPath(QDir().absoluteFilePath(path));
}

QString parentOf(const QString &path)
{
    const qsizetype cut = path.lastIndexOf(u'/');
    return cut <= 0 ? QString() : path.left(cut);
}

std::optional<QString> readLink(const QString &path)
{
    char target[PATH_MAX];
    const ssize_t size = ::readlink(QFile::encodeName(path).constData(), target, sizeof target);
    if (size <= 0 || size_t(size) >= sizeof target)
        return std::nullopt;
    return QFile::decodeName(QByteArray(target, size));
}

// Where an absolute path lands, resolving each link as the system would, one that leads nowhere yet
// included (a write would create its target); the last component is followed only when asked. No
// answer for a path that goes round in links.
std::optional<QString> landing(const QString &path, bool followLast)
{
    QStringList rest = path.split(u'/', Qt::SkipEmptyParts);
    QString done; // empty for "/"
    int links = 0;
    while (!rest.isEmpty()) {
        const QString part = rest.takeFirst();
        if (part == QStringLiteral("."))
            continue;
        if (part == QStringLiteral("..")) {
            done = parentOf(done);
            continue;
        }
        const QString next = done + u'/' + part;
        if ((!rest.isEmpty() || followLast) && QFileInfo(next).isSymLink()) {
            const auto target = readLink(next);
            if (!target || ++links > kMaxLinks)
                return std::nullopt;
            rest = target->split(u'/', Qt::SkipEmptyParts) + rest;
            if (target->startsWith(u'/'))
                done.clear();
            continue;
        }
        done = next;
    }
    return done.isEmpty() ? QStringLiteral("/") : done;
}

QString verbOf(PathGuard::Act act)
{
    switch (act) {
    case PathGuard::Act::Rename:
        return QStringLiteral("Renommage refusé");
    case PathGuard::Act::Create:
        return QStringLiteral("Création refusée");
    case PathGuard::Act::Write:
        return QStringLiteral("Écriture refusée");
    default:
        return QStringLiteral("Suppression refusée");
    }
}

} // namespace

PathGuard::PathGuard(const PathResolver &paths)
{
    // The drives not in the map share one parent folder: resolve each parent once.
    QHash<QString, QString> parents;
    const auto add = [&](const QString &folder, bool drive) {
        const QString text = absolute(folder);
        const QString parent = parentOf(text);
        QString landed;
        if (!parent.isEmpty() && !QFileInfo(text).isSymLink()) {
            auto known = parents.find(parent);
            if (known == parents.end())
                known = parents.insert(parent, landing(parent, true).value_or(parent));
            landed = *known + text.mid(parent.size());
        } else {
            landed = landing(text, true).value_or(text);
        }
        m_places.append(Place {text, landed, drive});
    };
    add(paths.programFolder(), false);
    for (const QString &root : paths.driveRoots())
        add(root, true);
}

const PathGuard::Place *PathGuard::containerOf(const QString &text) const
{
    // The innermost place that holds the path as written: a drive's folder may lie in the program folder.
    const Place *found = nullptr;
    qsizetype depth = -1;
    for (const Place &place : m_places) {
        for (const QString &form : {place.text, place.landing}) {
            if (covers(form, text) && form.size() > depth) {
                found = &place;
                depth = form.size();
            }
        }
    }
    return found;
}

Status PathGuard::allows(Act act, const QString &word, const QString &host) const
{
    const QString verb = verbOf(act);
    const auto refused = [&](const QString &why) { return Status::failure(QStringLiteral("%1 : %2").arg(verb, why)); };
    if (word.trimmed().isEmpty())
        return refused(QStringLiteral("aucun chemin n'est donné."));

    const QString text = absolute(host);
    const bool entry = act == Act::Remove || act == Act::Rename;
    const auto landed = landing(text, !entry);
    if (!landed)
        return refused(QStringLiteral("« %1 » passe par trop de liens.").arg(word));

    // No command reaches out through a link of the drive, or of the program folder, the path names.
    if (const Place *container = containerOf(text); container && !covers(container->landing, *landed)) {
        return refused(container->drive
                ? QStringLiteral("« %1 » passe par un lien qui sort de son lecteur.").arg(word)
                : QStringLiteral("« %1 » passe par un lien qui sort du dossier du programme.").arg(word));
    }

    if (act == Act::Create || act == Act::Write)
        return {};
    for (const QString &form : {text, *landed}) {
        if (form == QStringLiteral("/"))
            return refused(QStringLiteral("« %1 » désigne la racine du système.").arg(word));
        for (const Place &place : m_places) {
            // Emptying the top of a drive is allowed: only a deeper deletion reaches the whole drive.
            const bool own = place.drive && act == Act::EmptyFolder;
            const auto above = [&](const QString &placeForm) {
                return own ? placeForm.startsWith(form + u'/') : covers(form, placeForm);
            };
            if (!above(place.text) && !above(place.landing))
                continue;
            return refused(place.drive ? QStringLiteral("« %1 » est la racine d'un lecteur ou la contient.").arg(word)
                                       : QStringLiteral("« %1 » contient le dossier du programme.").arg(word));
        }
    }
    return {};
}

bool PathGuard::mayGiveToAccount(const QString &host) const
{
    const auto landed = landing(absolute(host), true);
    if (!landed)
        return false;
    const Place *innermost = nullptr;
    for (const Place &place : m_places) {
        if (covers(*landed, place.landing))
            return false; // the place itself or a folder above it
        if (covers(place.landing, *landed) && (!innermost || place.landing.size() > innermost->landing.size()))
            innermost = &place;
    }
    return innermost && innermost->drive;
}
