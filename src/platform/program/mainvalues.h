#pragma once

#include <QString>

// What the main window offers the actions and dialogs, read at the moment they run: the names and
// volume read from the settings at load, and the current text of its path boxes.
class MainValues
{
public:
    virtual ~MainValues() = default;
    virtual QString domainName() const = 0;
    virtual QString serverName() const = 0;
    virtual QString systemVolume() const = 0;
    virtual QString publicFolder() const = 0; // txt_public
    virtual QString subjectsFolder() const = 0; // txt_matiere
    virtual QString homeRoot() const = 0; // txt_perso
    virtual QString pupilFile() const = 0; // txt_orvo
    virtual QString chosenGroup() const = 0; // current text of the group list grp
};
