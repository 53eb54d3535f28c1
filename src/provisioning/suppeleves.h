#pragma once

#include "text/result.h"

#include <QString>
#include <QStringList>
#include <QWidget>

class QProgressBar;
class QPushButton;
class RunJournal;
struct Services;

// "suppression de tous les élèves": at the end of the year, removes the class shares, the shares
// public and matieres, every pupil account of the account list with its share, the pupils' folder
// tree, the files of the subjects folder and the public folder, then the account list. Groups stay.
class SuppEleves : public QWidget
{
    Q_OBJECT

public:
    // Builds the dialog; when it cannot open, says why and gives nothing to show.
    static SuppEleves *make(Services &services);

    explicit SuppEleves(Services &services);

    // Reads the names from the settings.
    Status load();
    // "Effacer": asks first, then removes everything and closes.
    void eraseAll();

    QProgressBar *bar1 = nullptr;
    QPushButton *cmdOk = nullptr;
    QPushButton *cmdCancel = nullptr;

    static QString caption();

private:
    // The second field of each record of "div.txt"; none when the file is missing.
    QStringList classNames() const;
    // Starts the folder command unless the box is empty or names a drive root, and notes it in the
    // journal; then gives the sentence that tells the administrator what was left alone.
    QString removeFolder(const QString &command, const QString &box, const QString &below, const QString &leftAlone,
        RunJournal &journal);

    Services &m_services;
    QString m_server;
};
