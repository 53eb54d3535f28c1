#pragma once

#include "text/result.h"

#include <QString>
#include <QWidget>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
struct Services;

// "Ajout d'un professeur": creates a teacher's account with the discipline in its description, the
// teacher's folder and share, membership of profs and a line in the teacher list "profsliste.txt".
// Stays open for the next one.
class AjoutProf : public QWidget
{
    Q_OBJECT

public:
    // Builds and fills the dialog; when it cannot open, says why and gives nothing to show.
    static AjoutProf *make(Services &services);

    explicit AjoutProf(Services &services);

    // Offers the disciplines of "mat.txt" (none when it is missing) and reads the names.
    Status load();
    // "Créer": enrols the teacher typed into the fields.
    void create();

    QLineEdit *txtNom = nullptr;
    QLineEdit *txtPrenom = nullptr;
    QComboBox *cboMat = nullptr;
    QPushButton *cmdCreer = nullptr; // cmd_créer
    QPushButton *cmdAnnuler = nullptr;

    static QString caption();

private:
    Services &m_services;
    QString m_server;
};
