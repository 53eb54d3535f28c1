#include "accountsheet.h"

#include "text/cp1252.h"
#include "text/textwriter.h"

#include <QFile>

#include <algorithm>
#include <optional>

namespace {

constexpr QFileDevice::Permissions kOwnerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;

QString cell(const QString &value)
{
    return QStringLiteral("<td>") + value.toHtmlEscaped() + QStringLiteral("</td>");
}

// The value of a cell written by cell(); none for any other line.
std::optional<QString> cellValue(const QString &line)
{
    static const QString open = QStringLiteral("<td>");
    static const QString close = QStringLiteral("</td>");
    if (!line.startsWith(open) || !line.endsWith(close) || line.size() < open.size() + close.size())
        return std::nullopt;
    QString value = line.mid(open.size(), line.size() - open.size() - close.size());
    // The four characters toHtmlEscaped() replaces; "&amp;" last, so that "&amp;lt;" stays "&lt;".
    value.replace(QStringLiteral("&lt;"), QStringLiteral("<"));
    value.replace(QStringLiteral("&gt;"), QStringLiteral(">"));
    value.replace(QStringLiteral("&quot;"), QStringLiteral("\""));
    value.replace(QStringLiteral("&amp;"), QStringLiteral("&"));
    return value;
}

} // namespace

const QStringList &AccountSheet::headerLines()
{
    static const QStringList lines = {
        QStringLiteral("<html>"),
        QStringLiteral("<head>"),
        QStringLiteral("<title>Comptes des utilisateurs</title>"),
        QStringLiteral("</head>"),
        QStringLiteral("<body bgcolor='#FFFFFF' text='#000000'>"),
        QStringLiteral("<center>"),
        QStringLiteral("<BIG>Correspondance Logins/Nom des élèves</BIG>"),
        QStringLiteral("<table width='75%' border='1' cellspacing='1' cellpadding='0'>"),
        QStringLiteral("<tr>"),
        QStringLiteral("<td>Nom de login</td>"),
        QStringLiteral("<td>Mot de passe</td>"),
        QStringLiteral("<td>Nom réel</td>"),
        QStringLiteral("<td>Prénom réel</td>"),
        QStringLiteral("<td>Classe</td>"),
        QStringLiteral("</tr>"),
    };
    return lines;
}

const QStringList &AccountSheet::closingLines()
{
    static const QStringList lines = {
        QStringLiteral("</table>"), QStringLiteral("</center>"), QStringLiteral("</body>"), QStringLiteral("</html>")};
    return lines;
}

QString AccountSheet::noAccountCell()
{
    return QStringLiteral("compte non créé");
}

QString AccountSheet::passwordRefusedCell()
{
    return QStringLiteral("mot de passe refusé par le domaine");
}

QString AccountSheet::alreadyExistsCell()
{
    return QStringLiteral("compte déjà existant");
}

bool AccountSheet::Row::holdsPassword() const
{
    return passwordCell != noAccountCell() && passwordCell != passwordRefusedCell()
        && passwordCell != alreadyExistsCell() && !passwordCell.isEmpty();
}

QStringList AccountSheet::rowLines(const QString &login, const QString &passwordCell, const QString &surname,
    const QString &firstNames, const QString &className)
{
    return {QStringLiteral("<tr>"), cell(login), cell(passwordCell), cell(surname), cell(firstNames), cell(className),
        QStringLiteral("</tr>")};
}

Status AccountSheet::write(const QStringList &lines, bool create)
{
    QFile file(m_path);
    // An older sheet may be readable by others: close it to them before anything is written to it.
    if (file.exists() && !file.setPermissions(kOwnerOnly))
        return Status::failure(
            QStringLiteral("Impossible de protéger le fichier %1 : %2").arg(m_path, file.errorString()));
    TextWriter writer;
    if (Status opened = writer.open(m_path, create ? TextWriter::Mode::Create : TextWriter::Mode::Append, kOwnerOnly);
        !opened)
        return opened;
    writer.writeLines(lines);
    return writer.close();
}

Status AccountSheet::begin()
{
    m_rowWritten = false;
    return write(headerLines(), true);
}

Status AccountSheet::appendRow(const QString &login, const QString &passwordCell, const QString &surname,
    const QString &firstNames, const QString &className)
{
    QStringList lines;
    if (!m_rowWritten)
        lines << QString();
    lines << rowLines(login, passwordCell, surname, firstNames, className);
    const Status written = write(lines, false);
    if (written)
        m_rowWritten = true;
    return written;
}

Status AccountSheet::appendRow(const Row &row)
{
    return appendRow(row.login, row.passwordCell, row.surname, row.firstNames, row.className);
}

Result<QList<AccountSheet::Row>> AccountSheet::read(const QString &hostPath)
{
    QFile file(hostPath);
    if (!file.open(QIODevice::ReadOnly))
        return Status::failure(
            QStringLiteral("Impossible de lire le fichier %1 : %2").arg(hostPath, file.errorString()));
    QStringList lines = Cp1252::decode(file.readAll()).split(QStringLiteral("\r\n"));
    // What follows the last line end is nothing, or a line a stop cut short.
    lines.removeLast();
    if (lines.mid(0, headerLines().size()) != headerLines())
        return Status::failure(QStringLiteral("Le fichier %1 n'est pas une feuille des comptes.").arg(hostPath));
    QList<Row> rows;
    qsizetype at = headerLines().size();
    if (at < lines.size() && lines[at].isEmpty())
        ++at;
    for (; at + 7 <= lines.size(); at += 7) {
        if (lines[at] != QStringLiteral("<tr>") || lines[at + 6] != QStringLiteral("</tr>"))
            break;
        std::optional<QString> values[5];
        for (int i = 0; i < 5; ++i)
            values[i] = cellValue(lines[at + 1 + i]);
        if (!std::all_of(std::begin(values), std::end(values), [](const auto &v) { return v.has_value(); }))
            break;
        rows.append({*values[0], *values[1], *values[2], *values[3], *values[4]});
    }
    return rows;
}

Status AccountSheet::restore(const QList<Row> &rows)
{
    QStringList lines = headerLines();
    if (!rows.isEmpty())
        lines << QString();
    for (const Row &row : rows)
        lines << rowLines(row.login, row.passwordCell, row.surname, row.firstNames, row.className);
    if (Status written = replaceFile(m_path, lines, kOwnerOnly); !written)
        return written;
    m_rowWritten = !rows.isEmpty();
    return {};
}

Status AccountSheet::finish()
{
    return write(closingLines(), false);
}
