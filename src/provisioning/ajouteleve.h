#pragma once

#include "text/result.h"

#include <QString>
#include <QWidget>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
struct Services;

// "Ajouter un élève": enrols one pupil who arrives during the year, with the same account, folder,
// groups and share as the bulk creation, and shows the password once. Stays open for the next one.
class AjoutEleve : public QWidget
{
    Q_OBJECT

public:
    // Builds and fills the dialog; when it cannot open, says why and gives nothing to show.
    static AjoutEleve *make(Services &services);

    explicit AjoutEleve(Services &services);

    // Reads the names from the settings and offers every group of the server as a class.
    Status load();
    // "Créer": enrols the pupil typed into the three fields.
    void create();

    QLabel *label4 = nullptr;
    QLineEdit *txtNom = nullptr;
    QLineEdit *txtPrenom = nullptr;
    QComboBox *listSec = nullptr;
    QPushButton *cmdCrer = nullptr;
    QPushButton *cmdAnnul = nullptr;

    static QString caption();
    static QString createdMessage(const QString &login, const QString &password);

private:
    Services &m_services;
    QString m_server;
};
