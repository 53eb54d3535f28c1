#pragma once

#include "text/result.h"

#include <QString>
#include <QWidget>

class QLabel;
class QLineEdit;
class QPushButton;
struct Services;

// "Ajout d'un utilisateur": one domain account with its name, full name, description and password.
// The password is the confirmation text at the moment the two password fields last matched.
class AjoutUtilForm : public QWidget
{
    Q_OBJECT

public:
    // Builds the dialog; when the settings cannot be read, says why and gives nothing to show.
    static AjoutUtilForm *make(Services &services);

    explicit AjoutUtilForm(Services &services);

    Status load();
    // Each change of the confirmation field.
    void confirmationChanged();
    // "Ok": creates the account.
    void createAccount();

    QString password() const { return m_password; }

    QLabel *label1 = nullptr;
    QLineEdit *txtNom = nullptr;
    QLineEdit *txtPrenom = nullptr;
    QLineEdit *txtDesc = nullptr;
    QLineEdit *txtPass = nullptr;
    QLineEdit *txtConf = nullptr;
    QLabel *labelok = nullptr;
    QPushButton *cmdOk = nullptr;
    QPushButton *cmdNon = nullptr;

private:
    Services &m_services;
    QString m_server;
    QString m_password;
};
