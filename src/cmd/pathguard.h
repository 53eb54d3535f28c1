#pragma once

#include "text/result.h"

#include <QString>
#include <QStringList>

class PathResolver;

// The one safety rule of the folder and file commands. A path is judged by where it lands on this
// machine, links followed, never by the text that named it: every drive's folder (listed in the drive
// map or not), the program folder and every folder above them stay, and no command reaches through
// a link out of the drive, or the program folder, that its path names. A link named last is acted on
// as a link, never followed.
class PathGuard
{
public:
    enum class Act {
        Remove, // a file, a link or a folder with what it holds (rd, rd /s, del of one file)
        Rename, // ren: the entry renamed, in its own folder
        EmptyFolder, // del: the files right in a folder; a drive's folder itself may be emptied so
        EmptyTree, // del /s: the files of a folder and of all its subfolders
        Create, // md
        Write, // a file written by ">" or ">>"
    };

    explicit PathGuard(const PathResolver &paths);

    // word: the path as the command gave it, for the message; host: where the resolver put it.
    Status allows(Act act, const QString &word, const QString &host) const;

    // Whether a shared folder may be handed to an account: it lands strictly inside a drive's
    // folder, and is neither the program folder, a drive's folder nor a folder above one of them.
    bool mayGiveToAccount(const QString &host) const;

private:
    struct Place
    {
        QString text; // as the resolver writes it
        QString landing; // where it lands, every link followed
        bool drive = true; // else the program folder
    };
    const Place *containerOf(const QString &text) const;

    QList<Place> m_places;
};
