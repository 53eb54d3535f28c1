#pragma once

#include <QString>

// How account logins are made from names. Every part of the program that creates an account or
// writes an address from names derives the login here, so they always agree.
namespace Logins {

// The names joined with nothing between them, cut to their first ten characters. Nothing is changed
// in case, spaces, hyphens, apostrophes or accents.
inline QString nameStem(const QString &surname, const QString &firstNames)
{
    return (surname + firstNames).left(10);
}

// A pupil: the class, whole, then the name stem ("TS8" + "DUPONT-LAJOIE" + "Jean-Pierre" gives
// "TS8DUPONT-LAJ").
inline QString pupilLogin(const QString &surname, const QString &firstNames, const QString &className)
{
    return className + nameStem(surname, firstNames);
}

// A teacher: the name stem alone ("LEFEBVRE" + "Christophe" gives "LEFEBVRECh").
inline QString teacherLogin(const QString &surname, const QString &firstName)
{
    return nameStem(surname, firstName);
}

} // namespace Logins
