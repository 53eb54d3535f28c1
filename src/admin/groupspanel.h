#pragma once

#include <QObject>

class FormBuilder;
class QLabel;
class QListWidget;
class QPushButton;
class QWidget;
struct Services;

// The left-hand panel of the main window, "Gestion des groupes et des utilisateurs": the server's
// global groups, the user members of the chosen group, and the buttons that act on them.
class GroupsPanel : public QObject
{
    Q_OBJECT

public:
    GroupsPanel(FormBuilder &form, Services &services, QObject *parent = nullptr);

    QPushButton *grputil = nullptr;
    QListWidget *grp = nullptr;
    QListWidget *util = nullptr;
    QPushButton *grpmoins = nullptr;
    QPushButton *grpplus = nullptr;
    QPushButton *utilmoins = nullptr;
    QPushButton *cmdInfouser = nullptr;
    QPushButton *utilplus = nullptr;
    QPushButton *ajoututil = nullptr;
    QPushButton *suputil = nullptr;
    QLabel *lblUsers = nullptr;

private:
    Services &m_services;
};
