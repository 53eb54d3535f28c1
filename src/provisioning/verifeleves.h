#pragma once

#include "pupilcheck.h"

#include <QList>
#include <QString>
#include <QWidget>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;
struct Services;

// "Vérification avant la création des utilisateurs": checks the converted pupil file against the
// domain and the class folders before step 3 runs, one row per record with its problems, and saves
// what it found as a report. Writes nothing else, anywhere.
class VerifEleves : public QWidget
{
    Q_OBJECT

public:
    // Builds the dialog; the check itself waits for "Vérifier".
    static VerifEleves *make(Services &services);

    // Starts with the main window's converted pupil file and an empty table.
    explicit VerifEleves(Services &services);

    // "Vérifier": checks the file named in the text box and shows a row per record.
    void check();
    // "Enregistrer le rapport": every row, whether shown or not, to system volume + "\verification.csv".
    void saveReport();

    const QList<PupilCheckRow> &rows() const { return m_rows; }

    QLineEdit *txtOrvo = nullptr;
    QPushButton *cmdVerifier = nullptr;
    QTableWidget *lstVerif = nullptr;
    QCheckBox *check1 = nullptr; // "Afficher seulement les problèmes"
    QLabel *lblResume = nullptr;
    QPushButton *cmdRapport = nullptr;
    QPushButton *cmdFermer = nullptr;

    static QString caption();

private:
    void showRows();
    void applyFilter();
    void fitColumns();

    Services &m_services;
    QList<PupilCheckRow> m_rows;
};
