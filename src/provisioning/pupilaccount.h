#pragma once

#include "pupilfile.h"
#include "text/result.h"

#include <QString>

struct Services;

// What became of one pupil's account.
struct PupilAccount
{
    QString login;
    QString password; // drawn for this pupil
    bool created = false; // the account was written
    bool passwordSet = false; // ... and holds this password
    bool folderSafe = false; // class and login name folders inside their parents

    // The password is worth handing out only when an account of this run holds it.
    bool holdsPassword() const { return created && passwordSet; }
};

// The steps that make one pupil's account, shared by the bulk creation and the single enrolment.
// Each step is tried whatever became of the one before; a class or login that would leave its
// folder gets no folder and no share.
class PupilAccountSteps
{
public:
    PupilAccountSteps(Services &services, QString serverName, QString homeRoot);

    // The personal folder, the account with its full name, description and password, its home
    // directory and logon script, then its class group and eleves.
    PupilAccount create(const PupilRecord &pupil);
    // Starts perso.bat on the personal folder, which shares it as login + "$".
    Status startShareScript(const PupilRecord &pupil, const PupilAccount &account);
    // Appends the login to the account list "utilisateurs.txt".
    Status recordLogin(const PupilAccount &account);

    static QString description(const QString &className);

private:
    void createAccount(const PupilRecord &pupil, PupilAccount &account);

    Services &m_services;
    QString m_serverName;
    QString m_homeRoot;
};
