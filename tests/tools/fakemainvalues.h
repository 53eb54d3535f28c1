#pragma once

#include "mainvalues.h"

// The main window's values as a test sets them.
class FakeMainValues : public MainValues
{
public:
    QString domain = QStringLiteral("LYCEE");
    QString server = QStringLiteral("SRVPEDA");
    QString volume = QStringLiteral("C:");
    QString perso = QStringLiteral("E:\\Perso");
    QString orvo = QStringLiteral("C:\\orvo\\orvoconv.txt");

    QString domainName() const override { return domain; }
    QString serverName() const override { return server; }
    QString systemVolume() const override { return volume; }
    QString publicFolder() const override { return QStringLiteral("E:\\Public"); }
    QString subjectsFolder() const override { return QStringLiteral("E:\\Matieres"); }
    QString homeRoot() const override { return perso; }
    QString pupilFile() const override { return orvo; }
    QString chosenGroup() const override { return {}; }
};
