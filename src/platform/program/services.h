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
// Made once, every member given: there is no window that finds one of them missing.
struct Services
{
    const PathResolver &paths;
    Directory &directory;
    Shell &shell;
    Prompts &prompts;
    PasswordGenerator &passwords;
    DialogHost &dialogs;
    MainValues &main;
    ActionJournal &journal; // the single actions' journal

    QString programFolder() const;
    // A program-folder file as a host path: programFolder() + "\" + name, resolved.
    QString programFile(const QString &name) const;
};
