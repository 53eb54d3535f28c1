// The interpreter, run on command lines in a scratch program folder whose drive E: lies outside it
// and holds a link that leaves the drive: whatever the lines say, nothing outside the program folder
// and the drive folders is written or removed, and the program folder and the drive folders stay.
// Paths of this machine ("/...") are the administrator's own: inputs that could form one are skipped.
//
// Input: command lines, one a line, as text (UTF-8), split into words at spaces as cmd's callers do.
#include "cmd/filesharestore.h"
#include "cmd/interpreter.h"
#include "fuzzsupport.h"
#include "text/pathresolver.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include <cstdio>

namespace {

constexpr int kMaxLines = 16;

const QString &sandbox()
{
    static const QString root = Fuzz::scratchRoot() + QStringLiteral("/interpreter");
    return root;
}

bool is(const QString &word, const char *name)
{
    return word.compare(QLatin1String(name), Qt::CaseInsensitive) == 0;
}

// True when no word of the lines can name a path of this machine, in this run or in a script that
// the lines write and then call.
bool staysOffHostPaths(const QList<QStringList> &lines, bool percent)
{
    static const QRegularExpression switches(QStringLiteral("^(/[A-Za-z*])+$"));
    static const QRegularExpression shareOptions(
        QStringLiteral("^/(delete|del|y|yes|unlimited|users:[^/]*|remark:[^/]*)$"),
        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression limit(QStringLiteral("^/q:[^/]*$"), QRegularExpression::CaseInsensitiveOption);
    for (const QStringList &words : lines) {
        for (qsizetype i = 0; i < words.size(); ++i) {
            const QString &word = words[i];
            if (!word.contains(u'/'))
                continue;
            // "%1%2" may join two harmless words into one that is not.
            if (percent || word.contains(QStringLiteral("=/")))
                return false;
            if (!word.startsWith(u'/'))
                continue;
            if (i > 0 && (words[i - 1] == QStringLiteral(">>") || words[i - 1] == QStringLiteral(">")))
                return false;
            const bool allowed = switches.match(word).hasMatch()
                || (is(words[0], "net") && shareOptions.match(word).hasMatch())
                || (is(words[0], "diruse") && limit.match(word).hasMatch());
            if (!allowed)
                return false;
        }
    }
    return true;
}

void laySandbox()
{
    Fuzz::lay(sandbox(),
        {QStringLiteral("pf/lecteurs.txt=E:,../srv/e\r\n"), QStringLiteral("pf/parametres.txt=ECOLE\r\nSERVEUR1\r\n"),
            QStringLiteral("pf/perso.bat=@echo off\r\nmd %1\r\nnet share %2=%1 /unlimited\r\n"),
            QStringLiteral("pf/scripts/TS8.bat=net use m: \\\\SERVEUR1\\matieres\r\n"),
            QStringLiteral("pf/lecteurs/c/orvo.txt=DUPONT,Jean,TS8\r\n"), QStringLiteral("pf/lecteurs/d/"),
            QStringLiteral("srv/e/Perso/eleves/TS8/TS8DUPONTJean/devoir.txt=x"), QStringLiteral("srv/e/Public/TS8/"),
            QStringLiteral("srv/e/Perso/u/lien->../../../../ailleurs"), QStringLiteral("ailleurs/temoin.txt=x"),
            QStringLiteral("ailleurs/dossier/")});
}

QStringList entries(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    // Nobody answers a question, and what the commands print goes nowhere.
    if (!std::freopen("/dev/null", "r", stdin) || !std::freopen("/dev/null", "w", stdout))
        Fuzz::fail("standard input and output can be set aside", QString());
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QString text = QString::fromUtf8(Fuzz::bytesOf(data, size));
    QList<QStringList> lines;
    for (const QString &line : text.split(u'\n')) {
        const QStringList words = line.split(u' ', Qt::SkipEmptyParts);
        if (!words.isEmpty())
            lines.append(words);
    }
    if (lines.isEmpty() || lines.size() > kMaxLines || !staysOffHostPaths(lines, text.contains(u'%')))
        return 0;

    laySandbox();
    const QStringList outside = Fuzz::snapshot(sandbox() + QStringLiteral("/ailleurs"));
    const QString programFolder = sandbox() + QStringLiteral("/pf");
    const PathResolver paths(programFolder);
    FileShareStore shares(programFolder);
    Interpreter interpreter(paths, shares);
    for (const QStringList &words : std::as_const(lines)) {
        interpreter.runCommand(words);

        const QString what = QStringLiteral("after « %1 »").arg(words.join(u' '));
        FUZZ_CHECK(entries(sandbox())
                == QStringList({QStringLiteral("ailleurs"), QStringLiteral("pf"), QStringLiteral("srv")}),
            what + QStringLiteral(": beside the program folder ") + entries(sandbox()).join(u' '));
        FUZZ_CHECK(entries(sandbox() + QStringLiteral("/srv")) == QStringList {QStringLiteral("e")},
            what + QStringLiteral(": beside drive E: ") + entries(sandbox() + QStringLiteral("/srv")).join(u' '));
        for (const QString &root :
            {QStringLiteral("/srv/e"), QStringLiteral("/pf/lecteurs/c"), QStringLiteral("/pf/lecteurs/d")})
            FUZZ_CHECK(QFileInfo(sandbox() + root).isDir() && !QFileInfo(sandbox() + root).isSymLink(),
                what + QStringLiteral(": the drive folder ") + root + QStringLiteral(" is gone"));
        const QStringList now = Fuzz::snapshot(sandbox() + QStringLiteral("/ailleurs"));
        FUZZ_CHECK(now == outside, what + QStringLiteral(": outside the drive, now ") + now.join(u' '));
    }
    return 0;
}
