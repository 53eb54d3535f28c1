#pragma once

#include <QStringList>

class Console;
class PathResolver;

// "diruse": reports the space the folders of a tree take, for the disk-usage check.
//
//   diruse [/M] [/Q:LIMIT] [/D] [/*] FOLDER...
//
// Sizes are always in megabytes (1 Mo = 1 048 576 bytes, two decimals, "," as the decimal mark);
// "/M" says so and is accepted for that reason. "/Q:LIMIT" marks every folder over LIMIT megabytes
// ("15" or "15,5"). "/*" reports each subfolder of FOLDER on its own line, else FOLDER as a whole.
// "/D" is accepted and changes nothing: every folder gets its line, and a reader keeps the marked ones.
//
// The report of one FOLDER, written to standard output (so ">>" can append it to a log):
//
//   Occupation de E:\Perso\profs\ (limite 15 Mo)
//         Taille(Mo)  Fichiers  Dossier
//               0,52         3  E:\Perso\profs\dupont
//   !          17,52        42  E:\Perso\profs\martin
//              18,04        45  Total E:\Perso\profs
//   (a blank line)
//
// A folder over the limit is the only kind of line that starts with "!"; its size ends under the
// end of "Taille(Mo)". Folders are sorted by name without regard to case; links are not followed.
// A missing folder or a limit that is not a number is reported on the error output only.
class DiskUsage
{
public:
    DiskUsage(const PathResolver &paths, Console &console)
        : m_paths(paths)
        , m_console(console)
    {
    }

    int run(const QStringList &words);

private:
    const PathResolver &m_paths;
    Console &m_console;
};
