#pragma once

#include <QString>

// How a pupil's personal folder and home directory are named from its login
// (WindowsNames::pupilLogin). The bulk creation and the single-pupil enrolment derive them the same way.
namespace PupilNaming {

// home-folder root + "\eleves\" + class + "\" + login
QString personalFolder(const QString &homeRoot, const QString &className, const QString &login);
// home-folder root + "\eleves\" + class: made by the class-group step.
QString classHomeFolder(const QString &homeRoot, const QString &className);

// The share of the personal folder, login + "$", and the home directory that names it.
QString homeShare(const QString &login);
QString homeDirectory(const QString &serverName, const QString &login);

// True when the class and the login are both folder names (WindowsNames::isFolderName): only then
// are a pupil's personal folder made and shared. Any other name would name a folder outside its
// parent, or run a command of its own.
bool hasFolderNames(const QString &className, const QString &login);

} // namespace PupilNaming
