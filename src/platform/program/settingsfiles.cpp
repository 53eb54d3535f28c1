#include "settingsfiles.h"

#include "text/fieldreader.h"
#include "text/pathresolver.h"
#include "text/textwriter.h"

namespace {

QString settingsPath(const PathResolver &paths, const char *file)
{
    return paths.toHost(paths.programFolder() + QLatin1Char('\\') + QLatin1String(file));
}

// The last field of a settings file, empty when it holds none.
Result<QString> lastField(const PathResolver &paths, const char *file)
{
    auto reader = FieldReader::open(settingsPath(paths, file));
    if (!reader)
        return reader.status();
    QString field;
    while (!reader->atEnd())
        field = reader->field();
    return field;
}

} // namespace

int SettingsFiles::numericValue(const QString &line)
{
    qsizetype i = 0;
    while (i < line.size() && line[i].isSpace())
        ++i;
    bool negative = false;
    if (i < line.size() && (line[i] == u'-' || line[i] == u'+')) {
        negative = line[i] == u'-';
        ++i;
    }
    long long value = 0;
    while (i < line.size() && line[i] >= u'0' && line[i] <= u'9' && value < 1000000000) {
        value = value * 10 + (line[i].unicode() - u'0');
        ++i;
    }
    return static_cast<int>(negative ? -value : value);
}

Result<DomainNames> SettingsFiles::readDomainNames(const PathResolver &paths)
{
    auto reader = FieldReader::open(settingsPath(paths, "parametres.txt"));
    if (!reader)
        return reader.status();
    DomainNames names;
    while (!reader->atEnd()) {
        const QStringList pair = reader->record(2);
        names = {pair[0], pair[1]};
    }
    return names;
}

Result<QString> SettingsFiles::readSystemVolume(const PathResolver &paths)
{
    return lastField(paths, "system.txt");
}

Result<QString> SettingsFiles::readModeLine(const PathResolver &paths)
{
    auto reader = FieldReader::open(settingsPath(paths, "mode.txt"));
    if (!reader)
        return reader.status();
    QString line;
    while (!reader->atEnd())
        line = reader->line();
    return line;
}

Result<int> SettingsFiles::readModeField(const PathResolver &paths)
{
    const auto field = lastField(paths, "mode.txt");
    if (!field)
        return field.status();
    return numericValue(*field);
}

Status SettingsFiles::write(const PathResolver &paths, const DomainNames &names, int mode, const QString &systemVolume)
{
    if (Status s = replaceFile(settingsPath(paths, "parametres.txt"), {names.domain, names.server}); !s)
        return s;
    const QStringList modeLines
        = mode == 1 || mode == 2 ? QStringList {QStringLiteral(" %1 ").arg(mode)} : QStringList {};
    if (Status s = replaceFile(settingsPath(paths, "mode.txt"), modeLines); !s)
        return s;
    return replaceFile(settingsPath(paths, "system.txt"), {systemVolume});
}
