#pragma once

#include <QString>
#include <QStringList>

// Lays out a program folder of its own in folder: the built interpreter and perso.bat, and one
// drive per letter ("C", "E", ...) as folder/drives/<letter>, named in its lecteurs.txt.
// False when a file cannot be put in place.
bool layProgramFolder(const QString &folder, const QStringList &driveLetters);
