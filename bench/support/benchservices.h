#pragma once

#include "journal/actionjournal.h"
#include "passwords/passwordgenerator.h"
#include "program/services.h"
#include "support/standins.h"
#include "ui/dialoghost.h"

class Directory;
class PathResolver;

// What a benchmark gives the window or action under measure: its paths and directory, a shell (one
// that runs nothing unless another is given) and stand-ins for the rest: boxes that answer yes,
// seeded passwords, no dialog, the main window's values of ECOLE and SERVEUR1 unless others are given.
class BenchServices
{
public:
    BenchServices(const PathResolver &paths, Directory &directory, Shell *shell = nullptr, MainValues *main = nullptr);

    SilentPrompts prompts;
    BenchMainValues mainValues;

private:
    IdleShell m_idle;
    PasswordGenerator m_passwords {7};
    DialogHost m_dialogs;
    ActionJournal m_journal;

public:
    Services services;
};
