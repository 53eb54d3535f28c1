#pragma once

#include "text/result.h"

#include <QStringList>

class PanelFixture;

// What step 1 would have left: the groups of TS8, 1S2 and TERMINALE-S (none for 2A), the class
// folders of TS8, TERMINALE-S and 2A (none for 1S2), an account of an earlier year; and the pupil file
// "C:\ORVO.txt" with one record for each problem the check finds, and two clean records.
Status prepareSampleSchool(PanelFixture &f);

// The check before step 3, as the administrator meets it, on a panel fixture whichever directory it
// holds: the sample school above, then the dialog opened, "Vérifier" and "Enregistrer le rapport" clicked.
// Checks the rows, the summary and the report byte for byte, and that the directory and the
// program folder (its drives included) are as they were, the report aside.
void checkPupilFileThroughTheDialog(PanelFixture &f);

// Everything the directory shows of its accounts and groups: names, properties and members.
QStringList directorySnapshot(PanelFixture &f);
// Every file and folder below the program folder with its size and contents, but SQLite's shared
// memory index, which reading changes.
QStringList folderSnapshot(const QString &folder);
