#pragma once

#include "directory/dirproperties.h"
#include "program/services.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVariant>

class ActionJournal;
class DialogHost;
class Directory;
class MainValues;
class PasswordGenerator;
class Prompts;
class Shell;
class TempProgramFolder;

// What the fixtures of the windows' tests ask of a program folder and of a directory, written once.
namespace FixtureHelpers {

// The host path of a Windows-form path, through the folder's drive map.
QString hostPath(TempProgramFolder &folder, const QString &windowsPath);
// Whether a Windows-form path names a folder.
bool folderExists(TempProgramFolder &folder, const QString &windowsPath);
// The lines of a text the program wrote (Windows-1252, CR LF), a final line end adding no line.
QStringList lines(const QByteArray &bytes);

// Whether the directory holds an object at that path.
bool exists(Directory &directory, const QString &adsPath);
// A property of the object at that path; invalid when the object or the property is missing.
QVariant property(Directory &directory, const QString &adsPath, DirProperty property);
// The member names of the group at that path. A listing that fails adds "échec : " and its reason,
// so that it never passes for a short list.
QStringList memberNames(Directory &directory, const QString &groupAdsPath);

// The services as the program wires them, over a fixture's own folder and doubles. A fixture gives
// every part: one that the windows under test never reach is a stand-in all the same.
struct ServiceParts
{
    TempProgramFolder &folder;
    Directory &directory;
    Shell &shell;
    Prompts &prompts;
    PasswordGenerator &passwords;
    DialogHost &dialogs;
    MainValues &main;
    ActionJournal &journal;
};
Services wireServices(const ServiceParts &parts);

} // namespace FixtureHelpers
