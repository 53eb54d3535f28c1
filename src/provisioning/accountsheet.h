#pragma once

#include "text/result.h"

#include <QString>
#include <QStringList>

// The HTML account sheet "comptes.html": logins and passwords to hand out, one table row per pupil.
// It holds passwords in clear, so only its owner may read it. Every value is written as HTML text,
// so that a name holding "<" or "&" shows as typed and cannot add markup.
class AccountSheet
{
public:
    // One pupil's row as it stands on the sheet.
    struct Row
    {
        QString login;
        QString passwordCell;
        QString surname;
        QString firstNames;
        QString className;

        bool operator==(const Row &) const = default;
        // True when the cell holds a password rather than why there is none.
        bool holdsPassword() const;
    };

    explicit AccountSheet(QString hostPath)
        : m_path(std::move(hostPath))
    {
    }

    // Creates the file anew with its 15 header lines.
    Status begin();
    // Appends one pupil's 7-line row (after one empty line before the first row) and closes the file,
    // so the row is complete on disk before the next pupil.
    Status appendRow(const QString &login, const QString &passwordCell, const QString &surname,
        const QString &firstNames, const QString &className);
    Status appendRow(const Row &row);
    // Appends the 4 closing lines.
    Status finish();

    // The rows of a sheet as a run left it, in their order: a sheet without its closing lines, or
    // whose last row a stop cut short, gives the rows that are whole. A file that is not a sheet
    // (its header differs) is a failure.
    static Result<QList<Row>> read(const QString &hostPath);
    // Writes the sheet anew in one step with these rows and no closing lines, to go on appending:
    // so a stopped run's sheet is made whole again before its run goes on.
    Status restore(const QList<Row> &rows);

    static const QStringList &headerLines();
    static const QStringList &closingLines();
    static QStringList rowLines(const QString &login, const QString &passwordCell, const QString &surname,
        const QString &firstNames, const QString &className);
    // The password cell of a record whose account was not created by this run.
    static QString noAccountCell();
    // The password cell of a record whose account was created but whose password the domain refused.
    static QString passwordRefusedCell();
    // The password cell of a record whose login named an account before the run.
    static QString alreadyExistsCell();

private:
    Status write(const QStringList &lines, bool create);

    QString m_path;
    bool m_rowWritten = false;
};
