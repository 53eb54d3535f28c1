#pragma once

#include <QObject>
#include <QString>

class FormBuilder;
class QLabel;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class QWidget;
struct Services;

// The left-hand panel of the main window, "Gestion des groupes et des utilisateurs": the server's
// global groups, the user members of the chosen group, and the buttons that act on them.
// Nothing read from the directory is kept: every action asks it again.
class GroupsPanel : public QObject
{
    Q_OBJECT

public:
    // The user count is a signed 16-bit number: it stops growing there.
    static constexpr int kUserCountCap = 32767;

    // userCountCap: where the user count stops growing; a test lowers it to reach it.
    GroupsPanel(FormBuilder &form, Services &services, QObject *parent = nullptr, int userCountCap = kUserCountCap);

    // The panel's actions, as its buttons and lists run them.
    void refresh(); // grputil
    void chooseGroup(); // a group chosen in grp
    void chooseMember(); // a member chosen in util
    void showDetails(); // cmd_infouser
    void createGroup(); // grpplus
    void deleteGroup(); // grpmoins
    void removeMember(); // utilmoins

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

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void connectActions();
    void groupClicked(QListWidgetItem *item);
    QString serverPath() const;
    QString chosenGroupText() const;
    QString chosenMemberText() const;

    Services &m_services;
    const int m_userCountCap;
    int m_groupRowBeforePress = -1;
};
