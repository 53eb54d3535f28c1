#include "fuzzsupport.h"

#include "text/controlcharacters.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace Fuzz {

void fail(const char *rule, const QString &detail)
{
    std::fprintf(
        stderr, "\n*** fuzz check failed: %s\n*** %s\n", rule, qUtf8Printable(ControlCharacters::escaped(detail)));
    std::fflush(stderr);
    std::abort();
}

QString scratchRoot()
{
    // Never freed: removed by its destructor at a normal exit, left for the caller's TMPDIR after a crash.
    static const auto root = [] {
        auto dir = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/velmar-fuzz-XXXXXX"));
        if (!dir->isValid())
            fail("a scratch folder can be made", dir->errorString());
        return dir;
    }();
    return QDir(root->path()).canonicalPath();
}

void lay(const QString &folder, const QStringList &entries)
{
    QDir(folder).removeRecursively();
    QDir().mkpath(folder);
    for (const QString &entry : entries) {
        const qsizetype arrow = entry.indexOf(QStringLiteral("->"));
        const qsizetype equals = entry.indexOf(u'=');
        if (arrow > 0) {
            const QString link = folder + u'/' + entry.left(arrow);
            QDir().mkpath(QFileInfo(link).absolutePath());
            if (!QFile::link(entry.mid(arrow + 2), link))
                fail("the sandbox can be laid", QStringLiteral("link %1").arg(link));
        } else if (equals > 0) {
            const QString path = folder + u'/' + entry.left(equals);
            QDir().mkpath(QFileInfo(path).absolutePath());
            QFile file(path);
            if (!file.open(QIODevice::WriteOnly) || file.write(entry.mid(equals + 1).toUtf8()) < 0)
                fail("the sandbox can be laid", QStringLiteral("file %1").arg(path));
        } else if (!QDir().mkpath(folder + u'/' + entry)) {
            fail("the sandbox can be laid", QStringLiteral("folder %1").arg(entry));
        }
    }
}

QStringList snapshot(const QString &folder)
{
    QStringList lines;
    QDirIterator it(
        folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        const QFileInfo info = it.fileInfo();
        const QString path = info.filePath().mid(folder.size());
        if (info.isSymLink()) {
            lines.append(path + QStringLiteral(" -> ") + info.symLinkTarget());
        } else if (info.isDir()) {
            lines.append(path + u'/');
        } else {
            QFile file(info.filePath());
            const QByteArray contents = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("?");
            lines.append(path + QStringLiteral(" = ") + QString::fromLatin1(contents.toHex()));
        }
    }
    lines.sort();
    return lines;
}

bool isInside(const QString &path, const QString &folder)
{
    return path == folder || path.startsWith(folder + u'/') || folder == QStringLiteral("/");
}

} // namespace Fuzz
