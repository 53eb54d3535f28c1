#pragma once

#include <QString>

// How a pupil's login, personal folder and home directory are named. The bulk creation, the
// single-pupil enrolment and the mailing lists all derive them the same way.
namespace PupilNaming {

// The class, then the first ten characters of surname and first names joined with nothing between
// them. Nothing is cut from the class and nothing is changed in case, spaces, accents or hyphens.
QString login(const QString &className, const QString &surname, const QString &firstNames);

// home-folder root + "\eleves\" + class + "\" + login
QString personalFolder(const QString &homeRoot, const QString &className, const QString &login);
// home-folder root + "\eleves\" + class: made by the class-group step.
QString classHomeFolder(const QString &homeRoot, const QString &className);

// The share of the personal folder, login + "$", and the home directory that names it.
QString homeShare(const QString &login);
QString homeDirectory(const QString &serverName, const QString &login);

// True when the value can stand as one folder name below its parent and as words of a command line:
// it holds no slash, backslash or "..", no control character, none of the characters that the
// command interpreter reads as operators or expansions when a name stands unquoted on a line
// (" & | < > ^ %), and is not empty once the trailing dots and spaces that Windows drops are taken
// away. A class or login that fails this would name a folder outside its parent (or the parent
// itself), or run a command of its own, so no folder, script or share is ever made from it.
bool isFolderName(const QString &value);

// True when the class and the login both pass isFolderName: only then are a pupil's personal folder
// made and shared.
bool hasFolderNames(const QString &className, const QString &login);

} // namespace PupilNaming
