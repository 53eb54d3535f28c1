#pragma once

#include <QString>

class ActionJournal;
class DialogHost;
class Directory;
class MainValues;
class PasswordGenerator;
class PathResolver;
class Prompts;
class Shell;

// The collaborators every window is given when it is made: nothing is reached through a global.
struct Services
{
    const PathResolver *paths = nullptr;
    Directory *directory = nullptr;
    Shell *shell = nullptr;
    Prompts *prompts = nullptr;
    PasswordGenerator *passwords = nullptr;
    DialogHost *dialogs = nullptr;
    MainValues *main = nullptr;
    ActionJournal *journal = nullptr; // the single actions' journal

    QString programFolder() const;
    // A program-folder file as a host path: programFolder() + "\" + name, resolved.
    QString programFile(const QString &name) const;
};
