#pragma once

#include <QObject>
#include <QStringList>

class FormBuilder;
class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;
struct Services;

// The right-hand panel of the main window, "Création d'un SI": what to create, where, the subject
// list, the converted pupil file and the three numbered steps.
class ProvisioningPanel : public QObject
{
    Q_OBJECT

public:
    ProvisioningPanel(FormBuilder &form, Services &services, QObject *parent = nullptr);

    QCheckBox *check1 = nullptr;
    QLineEdit *txtPublic = nullptr;
    QCheckBox *check2 = nullptr;
    QLineEdit *txtMatiere = nullptr;
    QCheckBox *check3 = nullptr;
    QLineEdit *txtPerso = nullptr;
    QListWidget *matiere = nullptr;
    QPushButton *matmoins = nullptr;
    QPushButton *matplus = nullptr;
    QPushButton *sauv = nullptr;
    QLineEdit *txtOrvo = nullptr;
    QPushButton *cmdCreergrp = nullptr;
    QPushButton *cmdCreerrep = nullptr;
    QPushButton *cmdCreerutil = nullptr;
    QProgressBar *bar1 = nullptr;

private:
    void check1Clicked(bool ticked);
    void check2Clicked(bool ticked);
    void check3Clicked(bool ticked);
    void updateCreerrep();
    void addSubject();
    void removeSubject();
    void saveSubjects();
    void createGroups();
    void createSubjectFolders();
    void createAccounts();

    QStringList subjects() const;
    QString subjectListFile() const;

    Services &m_services;
};
