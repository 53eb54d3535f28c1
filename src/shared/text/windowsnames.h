#pragma once

#include <QString>

// The naming rules of the Windows side, in one place: what a name must be to name a file, a folder
// that goes onto command lines, or one word of a command line, and how account logins are made from
// people's names. Each caller says which rule it applies; every folder name is a file name, and every
// command word a folder name.
namespace WindowsNames {

// A name Windows takes for a file or folder as it is written: not empty, not "." or "..", no control
// character, none of \ / : * ? " < > |, and no trailing dot or space (Windows drops them, so the name
// would address another file).
bool isFileName(const QString &name);

// A file name that can also stand unquoted in a path on a command line and stay one folder below its
// parent: no ".." anywhere, and none of the characters that the command interpreter reads as
// operators or expansions (& | < > ^ %). Spaces are kept: a class name is used as typed.
bool isFolderName(const QString &name);

// A folder name that is also one word of a command line: no white space, and none of ! ( ) , ; =,
// which the interpreter reads as separators or in blocks and expansions.
bool isCommandWord(const QString &name);

// The names joined with nothing between them, cut to their first ten characters. Nothing is changed
// in case, spaces, hyphens, apostrophes or accents.
QString nameStem(const QString &surname, const QString &firstNames);

// A pupil: the class, whole, then the name stem ("TS8" + "DUPONT-LAJOIE" + "Jean-Pierre" gives
// "TS8DUPONT-LAJ").
QString pupilLogin(const QString &surname, const QString &firstNames, const QString &className);

// A teacher: the name stem alone ("LEFEBVRE" + "Christophe" gives "LEFEBVRECh").
QString teacherLogin(const QString &surname, const QString &firstName);

} // namespace WindowsNames
