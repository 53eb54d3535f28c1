#include "subjectlist.h"

#include "text/fieldreader.h"
#include "text/textwriter.h"

#include <QFileInfo>

namespace SubjectList {

std::optional<QStringList> load(const QString &hostPath)
{
    if (QFileInfo(hostPath).isDir())
        return std::nullopt;
    auto reader = FieldReader::open(hostPath);
    if (!reader)
        return std::nullopt;
    QStringList subjects;
    while (!reader->atEnd())
        subjects.append(reader->line());
    return subjects;
}

Status save(const QString &hostPath, const QStringList &subjects)
{
    return replaceFile(hostPath, subjects);
}

int indexToRemove(const QStringList &entries, const QString &currentText)
{
    if (entries.isEmpty())
        return -1;
    const qsizetype last = entries.lastIndexOf(currentText);
    return last < 0 ? 0 : int(last);
}

} // namespace SubjectList
