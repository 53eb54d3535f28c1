#pragma once

#include "text/pathresolver.h"

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

#include <memory>

// A program folder of its own for one test: settings files, a drive map whose drives all lie inside
// the folder, and a resolver for it. Each drive letter X maps to "drives/x" below the folder.
class TempProgramFolder
{
public:
    TempProgramFolder();

    bool isValid() const { return m_dir.isValid(); }
    QString path() const { return m_dir.path(); }
    PathResolver &paths() { return *m_paths; }

    // Writes "parametres.txt", "system.txt" and "mode.txt" with these values.
    void writeSettings(const QString &domain = QStringLiteral("ECOLE"),
        const QString &server = QStringLiteral("SERVEUR1"), const QString &systemVolume = QStringLiteral("C:"),
        const QString &modeLine = QStringLiteral(" 2 "));
    // Writes a file of the folder (relative name), bytes as given.
    void writeFile(const QString &relativeName, const QByteArray &bytes);
    QByteArray readFile(const QString &relativeName) const;
    bool exists(const QString &relativeName) const;
    // The host folder of a drive ("E" or "E:").
    QString drive(const QString &letter) const;
    // Puts the built interpreter "cmd", the other helper programs and the batch scripts into the folder
    // so that a real shell started on this folder runs them.
    void installPrograms();
    // Rebuilds the resolver after the drive map changed.
    void reloadPaths();

private:
    QTemporaryDir m_dir;
    std::unique_ptr<PathResolver> m_paths;
};
