#pragma once

#include "text/result.h"

#include <QString>
#include <QWidget>

class QListWidget;
class QPushButton;
struct Services;

// "Ajout d'utilisateur dans un groupe": the server's accounts on the left, the accounts to add on
// the right; "Ajouter" makes each of them a member of the group chosen in the main window.
class AjoutUserGrp : public QWidget
{
    Q_OBJECT

public:
    // Builds and fills the dialog; when the opening fails, says why and gives nothing to show.
    static AjoutUserGrp *make(Services &services);

    explicit AjoutUserGrp(Services &services);

    // Reads the names from the settings and lists the server's accounts; stops at the first failure.
    Status load();
    // "Ajouter": adds every entry in turn and stops at the first that fails.
    void addAll();

    QListWidget *tsutil = nullptr;
    QListWidget *finalList = nullptr; // "final"
    QPushButton *plus = nullptr;
    QPushButton *moins = nullptr;
    QPushButton *ajout = nullptr;
    QPushButton *command1 = nullptr;

private:
    Services &m_services;
    QString m_server;
};
