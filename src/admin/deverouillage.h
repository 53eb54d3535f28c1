#pragma once

#include <QString>
#include <QWidget>

class QComboBox;
class QLabel;
class QPushButton;
struct Services;

// "Déverouiller un utilisateur": unlocks an account that too many failed logons have locked.
class Deverouillage : public QWidget
{
    Q_OBJECT

public:
    // Builds the dialog with its list filled.
    static Deverouillage *make(Services &services);
    explicit Deverouillage(Services &services);

    // Lists the server's accounts; without the settings or the directory the list stays empty.
    void load();
    // "Déverouiller": unlocks the account named in the list's text, then closes.
    void unlock();

    QLabel *label1 = nullptr;
    QComboBox *listUtilisateurs = nullptr;
    QPushButton *cmdDever = nullptr;
    QPushButton *cmdAnnul = nullptr;

private:
    Services &m_services;
    QString m_server;
};
