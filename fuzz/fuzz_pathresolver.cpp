// PathResolver: a path written the Windows way never lands outside the drive folders and the
// program folder; only a path of this machine ("/...") may. Drive paths land on their own drive,
// a leading backslash on drive C:, anything else in the program folder.
//
// Input: paths, one a line, as text (UTF-8).
#include "fuzzsupport.h"
#include "text/pathresolver.h"

#include <QDir>

namespace {

struct Sandbox
{
    QString programFolder;
    QString e; // mapped outside the program folder, by a relative path
    QString f; // mapped by a path of this machine
    QString g; // mapped inside the program folder
};

const Sandbox &sandbox()
{
    static const Sandbox box = [] {
        const QString root = Fuzz::scratchRoot() + QStringLiteral("/resolver");
        return Sandbox {root + QStringLiteral("/pf"), root + QStringLiteral("/srv/e"), root + QStringLiteral("/srv/f"),
            root + QStringLiteral("/pf/Gdrive")};
    }();
    return box;
}

// Laid once: resolving only ever adds the folders of unlisted drives, which change no rule checked here.
void laySandbox()
{
    static bool laid = false;
    if (laid)
        return;
    laid = true;
    const Sandbox &box = sandbox();
    Fuzz::lay(QFileInfo(box.programFolder).absolutePath(),
        {QStringLiteral("pf/lecteurs.txt=E:,../srv/e\r\n f:, ") + box.f + QStringLiteral("\r\n\"G:\",Gdrive\r\n"),
            QStringLiteral("pf/Parametres.txt=ECOLE"), QStringLiteral("pf/Scripts/"),
            QStringLiteral("pf/lecteurs/c/ORVO.txt=x"), QStringLiteral("srv/e/Perso/Eleves/TS8/"),
            QStringLiteral("srv/e/Perso/profs/"), QStringLiteral("srv/e/Public/"), QStringLiteral("srv/f/Mail/"),
            QStringLiteral("pf/Gdrive/"), QStringLiteral("srv/e/Perso/versf->../../f/Mail")});
}

QString rootOf(QChar letter)
{
    const Sandbox &box = sandbox();
    switch (letter.toUpper().unicode()) {
    case u'E':
        return box.e;
    case u'F':
        return box.f;
    case u'G':
        return box.g;
    default:
        return box.programFolder + QStringLiteral("/lecteurs/") + letter.toLower();
    }
}

bool hasDrive(const QString &path)
{
    return path.size() >= 2 && path[1] == u':' && path[0].isLetter() && path[0].unicode() < 128;
}

void check(const PathResolver &paths, const QString &windows)
{
    const QString host = paths.toHost(windows);
    const QString what = QStringLiteral("« %1 » resolved to %2").arg(windows, host);
    FUZZ_CHECK(host.startsWith(u'/') && QDir::cleanPath(host) == host, what);
    FUZZ_CHECK(paths.toHost(host) == host, what + QStringLiteral(", and that again to ") + paths.toHost(host));

    const QString drive = paths.driveRoot(windows);
    if (hasDrive(windows)) {
        FUZZ_CHECK(drive == rootOf(windows[0]), what + QStringLiteral(", drive root ") + drive);
        FUZZ_CHECK(Fuzz::isInside(host, drive), what + QStringLiteral(", outside its drive ") + drive);
    } else {
        FUZZ_CHECK(drive.isEmpty() || drive == rootOf(windows[0]), what + QStringLiteral(", drive root ") + drive);
        if (windows.startsWith(u'\\'))
            FUZZ_CHECK(Fuzz::isInside(host, rootOf(u'C')), what + QStringLiteral(", outside drive C:"));
        else if (!windows.startsWith(u'/'))
            FUZZ_CHECK(
                Fuzz::isInside(host, sandbox().programFolder), what + QStringLiteral(", outside the program folder"));
    }
    // What the guards take for a drive's root is one. They read the text without blanks at its ends,
    // as Windows does, and so refuse more than the root there: "E:\ " is a folder named " ".
    if (PathResolver::isDriveRootOrEmpty(windows) && windows.trimmed() == windows
        && (hasDrive(windows) || windows.startsWith(u'\\')))
        FUZZ_CHECK(host == (hasDrive(windows) ? drive : rootOf(u'C')), what + QStringLiteral(", not a drive root"));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    laySandbox();
    const PathResolver paths(sandbox().programFolder);
    const QStringList lines = QString::fromUtf8(Fuzz::bytesOf(data, size)).split(u'\n');
    for (const QString &line : lines)
        check(paths, line);
    return 0;
}
