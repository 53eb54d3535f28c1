#include "pathresolver.h"

#include "fieldreader.h"

#include <QDir>
#include <QFileInfo>

namespace {

bool startsWithDrive(const QString &path)
{
    return path.size() >= 2 && path[1] == u':' && path[0].isLetter() && path[0].unicode() < 128;
}

// Finds the entry of folder that names component, exactly or else regardless of case.
QString matchEntry(const QString &folder, const QString &component)
{
    if (QFileInfo::exists(folder + u'/' + component))
        return component;
    const QStringList entries
        = QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QString &entry : entries) {
        if (entry.compare(component, Qt::CaseInsensitive) == 0)
            return entry;
    }
    return {};
}

// The components of a path written with "/", once "." and ".." are taken out; ".." never climbs
// above where the path starts.
QStringList resolvedParts(const QString &path)
{
    QStringList parts;
    for (const QString &part : path.split(u'/', Qt::SkipEmptyParts)) {
        if (part == QStringLiteral("..")) {
            if (!parts.isEmpty())
                parts.removeLast();
        } else if (part != QStringLiteral(".")) {
            parts.append(part);
        }
    }
    return parts;
}

} // namespace

PathResolver::PathResolver(QString programFolder)
    : m_programFolder(QDir::cleanPath(programFolder))
{
    loadDriveMap();
}

void PathResolver::loadDriveMap()
{
    auto reader = FieldReader::open(m_programFolder + QStringLiteral("/lecteurs.txt"));
    if (!reader)
        return;
    while (!reader->atEnd()) {
        const QStringList entry = reader->record(2);
        const QString drive = entry[0].trimmed();
        const QString target = entry[1].trimmed();
        if (startsWithDrive(drive) && !target.isEmpty())
            m_drives.insert(drive[0].toUpper(), QDir::cleanPath(QDir(m_programFolder).absoluteFilePath(target)));
    }
}

QString PathResolver::rootOf(QChar letter) const
{
    const QString root = m_drives.value(letter.toUpper());
    return root.isEmpty() ? m_programFolder + QStringLiteral("/lecteurs/") + letter.toLower() : root;
}

QString PathResolver::driveRoot(const QString &drive) const
{
    if (drive.isEmpty() || !drive[0].isLetter() || drive[0].unicode() >= 128)
        return {};
    const QString root = rootOf(drive[0]);
    QDir().mkpath(root);
    return root;
}

QStringList PathResolver::driveRoots() const
{
    QStringList roots;
    for (char16_t letter = u'A'; letter <= u'Z'; ++letter)
        roots.append(rootOf(QChar(letter)));
    return roots;
}

bool PathResolver::isDriveRootOrEmpty(const QString &windowsPath)
{
    QString rest = windowsPath.trimmed();
    if (rest.isEmpty())
        return true;
    rest.replace(u'\\', u'/');
    if (startsWithDrive(rest))
        rest = rest.mid(2);
    else if (!rest.startsWith(u'/'))
        return false;
    // Whatever stays once "." and ".." are taken out must name something below the root.
    return resolvedParts(rest).isEmpty();
}

QString PathResolver::toHost(const QString &windowsPath) const
{
    return resolve(windowsPath, true);
}

QString PathResolver::lookUp(const QString &windowsPath) const
{
    return resolve(windowsPath, false);
}

QString PathResolver::resolve(const QString &windowsPath, bool makeDrive) const
{
    QString path = windowsPath;
    // A Windows path that starts with a backslash names the root of the current drive, never the
    // root of this machine: it is taken on drive C:.
    if (path.startsWith(u'\\'))
        path = QStringLiteral("C:") + path;
    path.replace(u'\\', u'/');

    QString base;
    if (startsWithDrive(path)) {
        base = makeDrive ? driveRoot(path.left(1)) : rootOf(path[0]);
        path = path.mid(2);
    } else if (path.startsWith(u'/')) {
        base = QStringLiteral("/");
    } else {
        base = m_programFolder;
    }

    const QStringList parts = resolvedParts(path);
    QString host = base == QStringLiteral("/") ? QString() : base;
    bool matching = true;
    for (const QString &part : parts) {
        QString name = part;
        if (matching) {
            const QString found = matchEntry(host.isEmpty() ? QStringLiteral("/") : host, part);
            if (found.isEmpty())
                matching = false;
            else
                name = found;
        }
        host += u'/' + name;
    }
    return host.isEmpty() ? QStringLiteral("/") : host;
}
