#include "teachers.h"

#include "text/fieldreader.h"
#include "text/pathresolver.h"
#include "text/textwriter.h"

#include <QFileInfo>

namespace {

QString listFile(const PathResolver &paths)
{
    return paths.toHost(paths.programFolder() + QStringLiteral("\\profsliste.txt"));
}

} // namespace

namespace Teachers {

QString folder(const QString &homeRoot, const QString &login)
{
    return homeRoot + QStringLiteral("\\profs\\") + login;
}

Result<QStringList> read(const PathResolver &paths)
{
    const QString path = listFile(paths);
    if (!QFileInfo::exists(path))
        return QStringList();
    auto reader = FieldReader::open(path);
    if (!reader)
        return reader.status();
    QStringList entries;
    while (!reader->atEnd())
        entries.append(reader->field());
    return entries;
}

Status append(const PathResolver &paths, const QString &login)
{
    return appendLines(listFile(paths), {login});
}

Status remove(const PathResolver &paths, const QString &login)
{
    // A list not written yet reads as empty, so nothing is removed and nothing is written.
    auto entries = read(paths);
    if (!entries)
        return entries.status();
    QStringList kept;
    for (const QString &entry : std::as_const(*entries)) {
        if (entry != login)
            kept.append(entry);
    }
    if (kept.size() == entries->size())
        return {};
    return replaceFile(listFile(paths), kept);
}

} // namespace Teachers
