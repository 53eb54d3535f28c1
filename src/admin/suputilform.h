#pragma once

#include "text/result.h"

#include <QString>
#include <QWidget>

class QListWidget;
class QPushButton;
struct Services;

// "Suppression d'un utilisateur": the server's accounts on the left, the accounts to delete on the
// right; "Supprimer la selection" deletes them in order, without a question.
class SupUtilForm : public QWidget
{
    Q_OBJECT

public:
    // Builds and fills the dialog; when the opening fails, says why and gives nothing to show.
    static SupUtilForm *make(Services &services);

    explicit SupUtilForm(Services &services);

    Status load();
    void deleteSelection();

    QListWidget *lstUser = nullptr;
    QListWidget *lstSelec = nullptr;
    QPushButton *cmdAjsel = nullptr;
    QPushButton *cmdRaz = nullptr;
    QPushButton *cmdSupp = nullptr;
    QPushButton *cmdAnnul = nullptr;

private:
    Services &m_services;
    QString m_server;
};
