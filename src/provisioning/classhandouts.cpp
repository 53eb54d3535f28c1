#include "classhandouts.h"

#include "text/textwriter.h"

namespace ClassHandouts {

namespace {

constexpr QFileDevice::Permissions kOwnerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;

// A4 pages of three columns of slips; a class of thirty fits on one page. Dashed borders are the cut
// lines. The password faces are monospace faces whose "l" and "1" differ (a tail on the "l", a flag
// and a foot on the "1"); digits are bold as well, so that no face can make them look alike.
const QStringList &head()
{
    static const QStringList lines {
        QStringLiteral("<!DOCTYPE html>"),
        QStringLiteral("<html lang='fr'>"),
        QStringLiteral("<head>"),
        QStringLiteral("<meta charset='windows-1252'>"),
        QStringLiteral("<title>Comptes des élèves par classe</title>"),
        QStringLiteral("<style>"),
        QStringLiteral("@page { size: A4; margin: 10mm; }"),
        QStringLiteral("body { margin: 0; font-family: Arial, 'DejaVu Sans', sans-serif; font-size: 10pt; }"),
        QStringLiteral(".classe { break-after: page; page-break-after: always; }"),
        QStringLiteral(".classe:last-child { break-after: auto; page-break-after: auto; }"),
        QStringLiteral("h1 { font-size: 16pt; margin: 0 0 1mm 0; }"),
        QStringLiteral(".date { margin: 0 0 1mm 0; }"),
        QStringLiteral(".consigne { margin: 0 0 3mm 0; font-size: 8pt; }"),
        QStringLiteral(".fiches { display: flex; flex-wrap: wrap; border-top: 1px dashed #000; "
                       "border-left: 1px dashed #000; }"),
        QStringLiteral(".fiche { box-sizing: border-box; width: 33.33%; min-height: 24mm; padding: 2mm 3mm; "
                       "border-right: 1px dashed #000; border-bottom: 1px dashed #000; "
                       "break-inside: avoid; page-break-inside: avoid; }"),
        QStringLiteral(".nom { font-weight: bold; }"),
        QStringLiteral(".mdp { font-family: 'DejaVu Sans Mono', Consolas, 'Lucida Console', monospace; "
                       "font-size: 20pt; letter-spacing: 0.15em; }"),
        QStringLiteral(".mdp b { font-weight: 900; }"),
        QStringLiteral("</style>"),
        QStringLiteral("</head>"),
        QStringLiteral("<body>"),
    };
    return lines;
}

QString text(const QString &value)
{
    return value.toHtmlEscaped();
}

// The password, digits in bold.
QString password(const QString &value)
{
    QString html;
    for (const QChar c : value) {
        const QString one = text(QString(c));
        html += c.isDigit() ? QStringLiteral("<b>") + one + QStringLiteral("</b>") : one;
    }
    return html;
}

} // namespace

QString path(const QString &systemVolume)
{
    return systemVolume + QStringLiteral("\\comptes-classes.html");
}

QStringList lines(const QList<AccountSheet::Row> &rows, const QDate &date)
{
    QStringList classes;
    QHash<QString, QList<const AccountSheet::Row *>> slips;
    for (const AccountSheet::Row &row : rows) {
        if (!row.holdsPassword())
            continue;
        if (!slips.contains(row.className))
            classes << row.className;
        slips[row.className].append(&row);
    }

    QStringList html = head();
    const QString day = date.toString(QStringLiteral("dd/MM/yyyy"));
    for (const QString &className : std::as_const(classes)) {
        html << QStringLiteral("<div class='classe'>")
             << QStringLiteral("<h1>Classe ") + text(className) + QStringLiteral("</h1>")
             << QStringLiteral("<p class='date'>") + day + QStringLiteral("</p>")
             << QStringLiteral("<p class='consigne'>&#9986; Découper en suivant les pointillés : une fiche par "
                               "élève.</p>")
             << QStringLiteral("<div class='fiches'>");
        for (const AccountSheet::Row *row : std::as_const(slips[className])) {
            html << QStringLiteral("<div class='fiche'>")
                 << QStringLiteral("<div class='nom'>Nom : ") + text(row->surname) + QStringLiteral("</div>")
                 << QStringLiteral("<div>Prénoms : ") + text(row->firstNames) + QStringLiteral("</div>")
                 << QStringLiteral("<div>Identifiant : ") + text(row->login) + QStringLiteral("</div>")
                 << QStringLiteral("<div>Mot de passe : <span class='mdp'>") + password(row->passwordCell)
                    + QStringLiteral("</span></div>")
                 << QStringLiteral("</div>");
        }
        html << QStringLiteral("</div>") << QStringLiteral("</div>");
    }
    html << QStringLiteral("</body>") << QStringLiteral("</html>");
    return html;
}

Status write(const QString &hostPath, const QList<AccountSheet::Row> &rows, const QDate &date)
{
    return replaceFile(hostPath, lines(rows, date), kOwnerOnly);
}

} // namespace ClassHandouts
