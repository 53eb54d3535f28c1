#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

// Maps a path written the Windows way ("E:\Perso\eleves", program folder + "\parametres.txt") to a
// path of this machine. A drive letter goes through the drive map, the file "lecteurs.txt" of the
// program folder (lines such as "E:,/srv/ecole/e"); an unlisted drive maps to the program folder's
// "lecteurs/e/", made on first use. Backslashes separate components, and each component that exists
// is matched without regard to letter case, as the Windows file system does; a new component keeps
// the case it was given. A path that starts with a backslash lies on drive C:, one that starts with
// "/" is already a host path (the program folder is one), and any other is taken in the program
// folder. ".." never climbs above a drive's root.
class PathResolver
{
public:
    explicit PathResolver(QString programFolder);

    const QString &programFolder() const { return m_programFolder; }
    QString toHost(const QString &windowsPath) const;
    // The same host path, without making the folder of a drive that was never used: for reading and
    // looking at what is there, which must leave the disk as it was.
    QString lookUp(const QString &windowsPath) const;

    // The host folder of a drive letter ("E" or "E:"), or an empty text for something else.
    QString driveRoot(const QString &drive) const;
    // The host folder of every drive letter from A to Z, listed in the drive map or not; none is made.
    QStringList driveRoots() const;
    // True when the text names the root of a drive ("E:", "E:\", "E:\.."), or is empty.
    static bool isDriveRootOrEmpty(const QString &windowsPath);

private:
    void loadDriveMap();
    QString rootOf(QChar letter) const;
    QString resolve(const QString &windowsPath, bool makeDrive) const;

    QString m_programFolder;
    QHash<QChar, QString> m_drives;
};
