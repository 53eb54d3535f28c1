#include "ldapnames.h"

#include <QStringList>

#include <limits>

namespace {

constexpr qint64 epochAsFileTime = 116444736000000000LL; // 1970-01-01 in 100 ns steps since 1601

} // namespace

namespace LdapNames {

QString filterValue(const QString &value)
{
    QString escaped;
    escaped.reserve(value.size());
    for (const QChar c : value) {
        switch (c.unicode()) {
        case '*':
            escaped += QStringLiteral("\\2a");
            break;
        case '(':
            escaped += QStringLiteral("\\28");
            break;
        case ')':
            escaped += QStringLiteral("\\29");
            break;
        case '\\':
            escaped += QStringLiteral("\\5c");
            break;
        case 0:
            escaped += QStringLiteral("\\00");
            break;
        default:
            escaped += c;
        }
    }
    return escaped;
}

QString dnValue(const QString &value)
{
    static const QString special = QStringLiteral(",+\"\\<>;=");
    QString escaped;
    escaped.reserve(value.size() + 4);
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value[i];
        if (c.unicode() == 0) {
            escaped += QStringLiteral("\\00");
            continue;
        }
        const bool leading = i == 0 && (c == u'#' || c == u' ');
        const bool trailing = i == value.size() - 1 && c == u' ';
        if (special.contains(c) || leading || trailing)
            escaped += u'\\';
        escaped += c;
    }
    return escaped;
}

QString domainOf(const QString &dn)
{
    // The DN's parts, split at the commas that are not escaped.
    QStringList parts;
    QString part;
    for (qsizetype i = 0; i < dn.size(); ++i) {
        if (dn[i] == u'\\' && i + 1 < dn.size()) {
            part += dn[i];
            part += dn[++i];
        } else if (dn[i] == u',') {
            parts << part;
            part.clear();
        } else {
            part += dn[i];
        }
    }
    parts << part;
    qsizetype first = parts.size();
    while (first > 0 && parts[first - 1].trimmed().startsWith(QStringLiteral("DC="), Qt::CaseInsensitive))
        --first;
    if (first == parts.size())
        return dn;
    return parts.mid(first).join(u',');
}

QString guidDn(const QByteArray &guid)
{
    return QStringLiteral("<GUID=%1>").arg(QString::fromLatin1(guid.toHex()));
}

QByteArray unicodePassword(const QString &password)
{
    const QString quoted = u'"' + password + u'"';
    QByteArray bytes;
    bytes.reserve(quoted.size() * 2);
    for (const QChar c : quoted) {
        bytes.append(static_cast<char>(c.unicode() & 0xff));
        bytes.append(static_cast<char>(c.unicode() >> 8));
    }
    return bytes;
}

QDateTime fromFileTime(qint64 fileTime)
{
    if (fileTime <= 0 || fileTime == std::numeric_limits<qint64>::max())
        return {};
    return QDateTime::fromMSecsSinceEpoch((fileTime - epochAsFileTime) / 10000);
}

qint64 toFileTime(const QDateTime &when)
{
    return when.toMSecsSinceEpoch() * 10000 + epochAsFileTime;
}

} // namespace LdapNames
