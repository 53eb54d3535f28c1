#include "accountsheet.h"

#include "text/textwriter.h"

#include <QFile>

namespace {

constexpr QFileDevice::Permissions kOwnerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;

QString cell(const QString &value)
{
    return QStringLiteral("<td>") + value.toHtmlEscaped() + QStringLiteral("</td>");
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
    const QIODevice::OpenMode mode = QIODevice::WriteOnly | (create ? QIODevice::Truncate : QIODevice::Append);
    if (!file.open(mode, kOwnerOnly))
        return Status::failure(
            QStringLiteral("Impossible d'écrire le fichier %1 : %2").arg(m_path, file.errorString()));
    QByteArray bytes;
    for (const QString &line : lines)
        bytes += TextWriter::encodeLine(line);
    const bool written = file.write(bytes) == bytes.size() && file.flush();
    file.close();
    if (!written)
        return Status::failure(QStringLiteral("Écriture incomplète du fichier %1.").arg(m_path));
    return {};
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

Status AccountSheet::finish()
{
    return write(closingLines(), false);
}
