#pragma once

#include <QString>
#include <QStringList>

struct Services;

// Step 2, "Créer les répertoires des matières": one folder per subject of the list under the
// subjects folder, each handed to matiere.bat, then the share "Matieres" of the subjects folder.
// Every step runs whatever became of the one before; nothing is made when the share would not be
// served.
class SubjectFolders
{
public:
    struct Input
    {
        bool createFolders = false; // Check2
        QString subjectsFolder; // txt_matiere
        QStringList subjects; // the list matiere, not the file
    };

    explicit SubjectFolders(Services &services)
        : m_services(services)
    {
    }
    void run(const Input &input);

private:
    Services &m_services;
};
