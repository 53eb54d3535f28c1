#pragma once

#include "pupilfile.h"
#include "text/result.h"

#include <QList>
#include <QString>
#include <QStringList>

struct AccountReport;
struct NewAccount;
struct Services;

// What became of one pupil's account: the outcome of each step, in the order the steps run.
struct PupilAccount
{
    QString login;
    QString password; // drawn for this pupil
    bool folderSafe = false; // class and login name folders inside their parents
    bool existed = false; // no account made: the login named an account before the run

    Status folder; // the personal folder
    Status account; // the account, with its full name and description, disabled until it has a password
    Status homeAndScript; // its home directory and logon script
    Status classGroup; // member of its class group
    Status pupilsGroup; // member of eleves
    Status passwordSet; // its password, which enables it
    Status shareScript; // perso.bat started on its folder
    Status listed; // its line in the account list

    bool created() const { return account.ok(); }
    // The password is worth handing out only when an account of this run holds it.
    bool holdsPassword() const { return created() && passwordSet.ok(); }
    // What became of each step, as the journals tell it: "compte : fait ; mot de passe : échec (...)"
    // and so on. Never the password, even where a reason would quote it.
    QString stepsText(const QString &className) const;
};

// The steps that make one pupil's account, shared by the bulk creation and the single enrolment.
// Each step is tried whatever became of the one before; a class or login that would leave its
// folder gets no folder and no share. The password comes last: a domain's password policy for its
// pupils counts only for the members of eleves.
class PupilAccountSteps
{
public:
    PupilAccountSteps(Services &services, QString serverName, QString homeRoot);

    // The personal folder; the account with its full name and description; its home directory and
    // logon script; its class group and eleves; then the password drawn for it, on an account made
    // by this run only.
    PupilAccount create(const PupilRecord &pupil);
    // The same steps for several pupils at once: their folders and passwords in their order, then
    // their accounts in one call, which the directory may make together. takenOver says, pupil by
    // pupil, whether a stopped run had begun the account: that account is taken as made by this run,
    // its properties, groups and password given again.
    QList<PupilAccount> make(const QList<PupilRecord> &pupils, const QList<bool> &takenOver);
    // Starts perso.bat on the personal folder, which shares it as login + "$".
    Status startShareScript(const PupilRecord &pupil, const PupilAccount &account);
    // Appends the login to the account list "utilisateurs.txt".
    Status recordLogin(const PupilAccount &account);
    // Tells which logins the list lacks, and why: without its line an account escapes the removal of
    // all pupils at the end of the year.
    static QString unlistedMessage(const QStringList &logins, const Status &why);

    static QString description(const QString &className);

private:
    // The folder and the password drawn, and the account the directory is to make.
    NewAccount prepare(const PupilRecord &pupil, bool existing, PupilAccount &report);
    static void record(const AccountReport &made, PupilAccount &report);

    Services &m_services;
    QString m_serverName;
    QString m_homeRoot;
};
