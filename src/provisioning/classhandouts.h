#pragma once

#include "accountsheet.h"
#include "text/result.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

// The handouts "comptes-classes.html" on the system volume: for each class a printed page, headed
// by the class and the date, of slips to cut apart, one for each pupil who got a password (surname,
// first names, login, password). The password is set in a large monospace face that tells "l" from
// "1" at a glance. Like the sheet it holds passwords, so only its owner may read it, and every value
// is written as HTML text.
namespace ClassHandouts {

// system volume + "\comptes-classes.html"
QString path(const QString &systemVolume);
// The pages for the rows of a run that hold a password, classes in the order they first come.
QStringList lines(const QList<AccountSheet::Row> &rows, const QDate &date);
// Writes the file anew in one step.
Status write(const QString &hostPath, const QList<AccountSheet::Row> &rows, const QDate &date);

} // namespace ClassHandouts
