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
    // Appends the 4 closing lines.
    Status finish();

    static const QStringList &headerLines();
    static const QStringList &closingLines();
    static QStringList rowLines(const QString &login, const QString &passwordCell, const QString &surname,
        const QString &firstNames, const QString &className);
    // The password cell of a record whose account was not created by this run.
    static QString noAccountCell();
    // The password cell of a record whose account was created but whose password the domain refused.
    static QString passwordRefusedCell();

private:
    Status write(const QStringList &lines, bool create);

    QString m_path;
    bool m_rowWritten = false;
};
