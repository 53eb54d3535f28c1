#include "teachers.h"

#include "program/services.h"
#include "text/fieldreader.h"
#include "text/textwriter.h"

#include <QFileInfo>

namespace {

QString listFile(const Services &services)
{
    return services.programFile(QStringLiteral("profsliste.txt"));
}

} // namespace

namespace Teachers {

QString folder(const QString &homeRoot, const QString &login)
{
    return homeRoot + QStringLiteral("\\profs\\") + login;
}

Result<QStringList> read(const Services &services)
{
    const QString path = listFile(services);
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

Status append(const Services &services, const QString &login)
{
    return appendLines(listFile(services), {login});
}

Status remove(const Services &services, const QString &login)
{
    // A list not written yet reads as empty, so nothing is removed and nothing is written.
    auto entries = read(services);
    if (!entries)
        return entries.status();
    QStringList kept;
    for (const QString &entry : std::as_const(*entries)) {
        if (entry != login)
            kept.append(entry);
    }
    if (kept.size() == entries->size())
        return {};
    return replaceFile(listFile(services), kept);
}

} // namespace Teachers
