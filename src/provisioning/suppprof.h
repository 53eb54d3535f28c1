#pragma once

#include "text/result.h"

#include <QString>
#include <QWidget>

class QComboBox;
class QPushButton;
struct Services;

// "suppression d'un professeur": removes one teacher's account, share and folder and the teacher's
// line of "profsliste.txt", then closes.
class SuppProf : public QWidget
{
    Q_OBJECT

public:
    // Builds and fills the dialog; when it cannot open, says why and gives nothing to show.
    static SuppProf *make(Services &services);

    explicit SuppProf(Services &services);

    // Reads the names and offers the logins of the teacher list (none before the first enrolment).
    Status load();
    // "Supprimer": removes the teacher whose login is the text of cbo_prof.
    void remove();

    QComboBox *cboProf = nullptr;
    QPushButton *cmdSupp = nullptr;
    QPushButton *cmdAnnul = nullptr;

    static QString caption();

private:
    Services &m_services;
    QString m_server;
};
