#include "diskusage.h"

#include "console.h"
#include "text/pathresolver.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QLocale>

#include <algorithm>
#include <cmath>
#include <optional>

namespace {

constexpr int kFailed = 1;
constexpr double kBytesPerMegabyte = 1024.0 * 1024.0;

struct Usage
{
    qint64 bytes = 0;
    qint64 files = 0;
};

// Every file below folder, or only those right in it, without following links (a link counts for nothing).
Usage measure(const QString &folder, bool wholeTree = true)
{
    Usage usage;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System | QDir::NoSymLinks,
        wholeTree ? QDirIterator::Subdirectories : QDirIterator::NoIteratorFlags);
    while (it.hasNext()) {
        it.next();
        const QFileInfo info = it.fileInfo();
        if (info.isSymLink())
            continue;
        usage.bytes += info.size();
        ++usage.files;
    }
    return usage;
}

std::optional<double> parseLimit(QString text)
{
    text.replace(u',', u'.');
    bool ok = false;
    const double limit = text.toDouble(&ok);
    // "nan" and "inf" read as numbers, yet no size is ever over them or under them.
    if (!ok || !std::isfinite(limit) || limit < 0)
        return std::nullopt;
    return limit;
}

QString megabytes(qint64 bytes)
{
    return QString::number(double(bytes) / kBytesPerMegabyte, 'f', 2).replace(u'.', u',');
}

QString limitText(double limit)
{
    return QString::number(limit, 'g', 12).replace(u'.', u',');
}

QString reportLine(bool over, const Usage &usage, const QString &name)
{
    return QString(over ? u'!' : u' ') + megabytes(usage.bytes).rightJustified(15) + QStringLiteral("  ")
        + QString::number(usage.files).rightJustified(8) + QStringLiteral("  ") + name;
}

} // namespace

int DiskUsage::run(const QStringList &words)
{
    std::optional<double> limit;
    bool eachSubfolder = false;
    QStringList folders;
    for (const QString &word : words) {
        if (word.compare(QStringLiteral("/m"), Qt::CaseInsensitive) == 0
            || word.compare(QStringLiteral("/d"), Qt::CaseInsensitive) == 0) {
            continue;
        } else if (word == QStringLiteral("/*")) {
            eachSubfolder = true;
        } else if (word.startsWith(QStringLiteral("/q:"), Qt::CaseInsensitive)) {
            limit = parseLimit(word.mid(3));
            if (!limit) {
                m_console.error(QStringLiteral("La limite « %1 » n'est pas un nombre de mégaoctets.").arg(word.mid(3)));
                return kFailed;
            }
        } else if (word.startsWith(u'/') && word.size() <= 3) {
            m_console.error(QStringLiteral("Option non valide : « %1 ».").arg(word));
            return kFailed;
        } else {
            folders.append(word);
        }
    }
    if (folders.isEmpty()) {
        m_console.error(QStringLiteral("Utilisation : diruse [/M] [/Q:LIMITE] [/D] [/*] DOSSIER"));
        return kFailed;
    }

    const auto over = [&](const Usage &usage) { return limit && double(usage.bytes) / kBytesPerMegabyte > *limit; };
    const auto byName = [](const QString &a, const QString &b) { return a.compare(b, Qt::CaseInsensitive) < 0; };
    int code = 0;
    for (const QString &folder : std::as_const(folders)) {
        const QString host = m_paths.toHost(folder);
        if (!QFileInfo(host).isDir()) {
            m_console.error(QStringLiteral("Le dossier %1 est introuvable.").arg(folder));
            code = kFailed;
            continue;
        }
        const QString prefix = folder.endsWith(u'\\') || folder.endsWith(u'/') ? folder : folder + u'\\';
        m_console.print(limit ? QStringLiteral("Occupation de %1 (limite %2 Mo)").arg(folder, limitText(*limit))
                              : QStringLiteral("Occupation de %1").arg(folder));
        m_console.print(QStringLiteral("      Taille(Mo)  Fichiers  Dossier"));
        if (eachSubfolder) {
            QStringList names = QDir(host).entryList(
                QDir::Dirs | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot | QDir::NoSymLinks);
            std::sort(names.begin(), names.end(), byName);
            // The total adds up the subfolders and the folder's own files: the tree is walked once.
            Usage total = measure(host, false);
            for (const QString &name : std::as_const(names)) {
                const Usage usage = measure(host + u'/' + name);
                m_console.print(reportLine(over(usage), usage, prefix + name));
                total.bytes += usage.bytes;
                total.files += usage.files;
            }
            m_console.print(reportLine(false, total, QStringLiteral("Total ") + prefix.chopped(1)));
        } else {
            const Usage total = measure(host);
            m_console.print(reportLine(over(total), total, folder));
        }
        m_console.print(QString());
    }
    return code;
}
