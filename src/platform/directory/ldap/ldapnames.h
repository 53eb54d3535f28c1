#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

// Turning the program's values into what an Active Directory server reads, and back.
namespace LdapNames {

// A value inside a search filter: "*", "(", ")", "\" and NUL escaped.
QString filterValue(const QString &value);
// A value inside a DN (an RDN's value): the special characters, a leading "#" or blank and a
// trailing blank escaped.
QString dnValue(const QString &value);
// The domain a DN lies in: its trailing "DC=" parts ("DC=lycee,DC=local" for
// "OU=Ecole,DC=lycee,DC=local"); the DN itself when it has none.
QString domainOf(const QString &dn);
// "<GUID=...>": names an object for as long as it lives, whatever it is renamed to.
QString guidDn(const QByteArray &guid);
// unicodePwd: the password in double quotes, in UTF-16LE.
QByteArray unicodePassword(const QString &password);
// A Windows time (100 ns steps since 1601, UTC); 0 and the largest value mean "never".
QDateTime fromFileTime(qint64 fileTime);
qint64 toFileTime(const QDateTime &when);

} // namespace LdapNames
