#pragma once

#include <QWidget>

class Principale;
class QLineEdit;
class QRadioButton;
struct Services;

// The settings dialog: domain and server names, working mode, system volume. "Ok" rewrites the three
// settings files and rebuilds the main window; "Annuler" writes nothing.
class Parametre : public QWidget
{
    Q_OBJECT

public:
    static Parametre *make(Services &services, Principale &principale) { return new Parametre(services, principale); }
    Parametre(Services &services, Principale &principale);

    QLineEdit *domaine = nullptr;
    QLineEdit *serveur = nullptr;
    QRadioButton *option1 = nullptr;
    QRadioButton *option2 = nullptr;
    QLineEdit *text1 = nullptr;

private:
    void load();
    void accept();

    Services &m_services;
    Principale &m_principale;
};
