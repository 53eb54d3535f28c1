#pragma once

#include "text/result.h"

#include <QString>

struct Services;

// Step 1, "Créer les groupes": the groups eleves and profs with the pupils' password policy, the root
// folders, and for every record of the converted pupil file its class group, its logon script, its
// two class folders and the starts of public.bat and partage.bat. Every step runs whatever became of
// the one before; nothing at all is made when the shares would not be served.
class ClassGroups
{
public:
    struct Input
    {
        QString serverName;
        bool createPublic = false; // Check1
        bool createHomes = false; // Check3
        QString publicFolder; // txt_public
        QString subjectsFolder; // txt_matiere
        QString homeRoot; // txt_perso
        QString pupilFile; // txt_orvo
    };

    explicit ClassGroups(Services &services)
        : m_services(services)
    {
    }

    // Runs the step; tells the administrator when the shares would not be served, when the pupils'
    // password policy cannot be made and when the pupil file cannot be read.
    void run(const Input &input);

    // The two lines of a class logon script: drive U: on the class share, M: on "matieres".
    static QStringList logonScript(const QString &serverName, const QString &className);

private:
    Status createGroup(const QString &serverName, const QString &name);
    void handleRecord(const Input &input, const QString &className);

    Services &m_services;
};
