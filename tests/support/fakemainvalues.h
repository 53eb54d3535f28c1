#pragma once

#include "program/mainvalues.h"

#include <QListWidget>

// The main window's values as a test sets them: the names and volume of the settings, the
// provisioning panel's folder boxes and pupil file, and the group chosen in the groups panel.
class FakeMainValues : public MainValues
{
public:
    QString domain = QStringLiteral("LYCEE");
    QString server = QStringLiteral("SRVPEDA");
    QString volume = QStringLiteral("C:");
    QString publicPath = QStringLiteral("E:\\Public");
    QString subjectsPath = QStringLiteral("E:\\Matieres");
    QString homePath = QStringLiteral("E:\\Perso");
    QString pupils = QStringLiteral("C:\\ORVO.txt");
    QString group;
    // When set, the group chosen is the current entry of this list, as the groups panel gives it.
    const QListWidget *groupList = nullptr;

    QString domainName() const override { return domain; }
    QString serverName() const override { return server; }
    QString systemVolume() const override { return volume; }
    QString publicFolder() const override { return publicPath; }
    QString subjectsFolder() const override { return subjectsPath; }
    QString homeRoot() const override { return homePath; }
    QString pupilFile() const override { return pupils; }
    QString chosenGroup() const override
    {
        if (groupList)
            return groupList->currentItem() ? groupList->currentItem()->text() : QString();
        return group;
    }
};
