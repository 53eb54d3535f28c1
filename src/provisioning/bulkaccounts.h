#pragma once

#include <QDateTime>
#include <QString>

#include <functional>

struct PupilAccount;
struct Services;

// Step 3, "Créer les utilisateurs et droits": one account per record of the converted pupil file,
// with its personal folder and share, the account list "utilisateurs.txt", the account sheet
// "comptes.html" and the handouts per class "comptes-classes.html", then a message with the count.
// Every step runs whatever became of the one before, except that no account is made when the pupil
// file cannot be read, the sheet cannot be written to hand the passwords out, the shares would not be
// served or the domain would refuse the passwords.
//
// Nothing is lost across runs: a sheet that is there is kept beside it under the date it was last
// written, and the run writes its journal pupil by pupil. A run that stopped (a power cut, the window
// killed) on the same pupil file can go on where it stopped, on the same sheet, list and journal.
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
        std::function<void(int total, int done)> counted; // before the first pupil; done by a stopped run
        std::function<void(int handled)> handled; // after each pupil
    };

    // Pupils whose accounts are made together: enough to keep the domain controller busy, few
    // enough that the progress bar moves often.
    static constexpr int kPupilsPerBatch = 30;

    explicit BulkAccounts(Services &services, int pupilsPerBatch = kPupilsPerBatch)
        : m_services(services)
        , m_pupilsPerBatch(pupilsPerBatch > 0 ? pupilsPerBatch : 1)
    {
    }

    // Runs the step and shows its final message; returns the number of records handled, those of a
    // stopped run it went on with included.
    int run(const Input &input, const Progress &progress = {});

    // system volume + "\comptes.html"
    static QString sheetPath(const QString &systemVolume);
    // The message that ends the run: the count, where the sheet is, and how many pupils got no new
    // account when there are any.
    static QString finalMessage(int handled, const QString &systemVolume, int notCreated = 0);
    // The password cell of a pupil's row: the password, only when the account holds it.
    static QString sheetCell(const PupilAccount &account);
    // The question asked when a run on the same file stopped: "La création du JJ/MM/AAAA à HH:MM
    // s'est arrêtée après N élèves sur M. Reprendre là où elle s'est arrêtée ?"
    static QString resumeQuestion(const QDateTime &started, int done, int total);

private:
    Services &m_services;
    int m_pupilsPerBatch;
};
