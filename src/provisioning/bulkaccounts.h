#pragma once

#include <QString>

#include <functional>

struct PupilAccount;
struct Services;

// Step 3, "Créer les utilisateurs et droits": one account per record of the converted pupil file,
// with its personal folder and share, the account list "utilisateurs.txt" and the account sheet
// "comptes.html", then a message with the count. Every step runs whatever became of the one before,
// except that no account is made when the pupil file cannot be read, the sheet cannot be written to
// hand the passwords out, the shares would not be served or the domain would refuse the passwords.
class BulkAccounts
{
public:
    struct Input
    {
        QString serverName;
        QString systemVolume;
        QString homeRoot; // txt_perso
        QString pupilFile; // txt_orvo
    };

    struct Progress
    {
        std::function<void(int total)> counted; // after the counting pass
        std::function<void(int handled)> handled; // after each pupil
    };

    explicit BulkAccounts(Services &services)
        : m_services(services)
    {
    }

    // Runs the step and shows its final message; returns the number of records handled.
    int run(const Input &input, const Progress &progress = {});

    // system volume + "\comptes.html"
    static QString sheetPath(const QString &systemVolume);
    static QString finalMessage(int handled, const QString &systemVolume);
    // The password cell of a pupil's row: the password, only when the account holds it.
    static QString sheetCell(const PupilAccount &account);

private:
    Services &m_services;
};
