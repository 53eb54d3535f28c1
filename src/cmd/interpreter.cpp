#include "interpreter.h"

#include "console.h"
#include "diskusage.h"
#include "filecommands.h"
#include "pathguard.h"
#include "sharecommand.h"
#include "text/cp1252.h"
#include "text/pathresolver.h"
#include "text/textwriter.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>

#include <sys/file.h>

namespace {

constexpr int kFailed = 1;
constexpr int kMaxScriptDepth = 16;
// Scripts that call themselves more than once grow as the number of calls to the depth: the whole
// run is bounded too, and ends there.
constexpr int kMaxScriptCalls = 10000;

bool is(const QString &word, const char *name)
{
    return word.compare(QLatin1String(name), Qt::CaseInsensitive) == 0;
}

void printToScreen(const QStringList &lines)
{
    QByteArray bytes;
    for (const QString &line : lines)
        bytes += line.toLocal8Bit() + '\n';
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
    std::fflush(stdout);
}

// Writes the whole report in one locked write, so that reports of commands running at once into the
// same log never interleave.
Status writeToFile(const QString &hostPath, const QStringList &lines, bool append)
{
    TextWriter writer;
    if (Status opened = writer.open(hostPath, append ? TextWriter::Mode::Append : TextWriter::Mode::Create); !opened)
        return opened;
    // Held until the file is closed, which is when the lines go out.
    int locked;
    do
        locked = ::flock(writer.handle(), LOCK_EX);
    while (locked != 0 && errno == EINTR);
    writer.writeLines(lines);
    return writer.close();
}

} // namespace

int Interpreter::runArguments(const QStringList &arguments)
{
    if (!arguments.isEmpty() && is(arguments.first(), "/c"))
        return runCommand(arguments.mid(1));
    if (!arguments.isEmpty() && arguments.first().endsWith(QStringLiteral(".bat"), Qt::CaseInsensitive))
        return runScript(arguments.first(), arguments.mid(1));
    Console().error(QStringLiteral("Utilisation : cmd /c COMMANDE [ARGUMENTS...] ou cmd SCRIPT.bat [ARGUMENTS...]"));
    return 2;
}

int Interpreter::runCommand(const QStringList &words)
{
    // Take the redirection out first: ">>" and its file are words of their own.
    QStringList command;
    QString target;
    bool append = false;
    for (qsizetype i = 0; i < words.size(); ++i) {
        const QString &word = words[i];
        if (word == QStringLiteral(">>") || word == QStringLiteral(">")) {
            if (i + 1 >= words.size()) {
                Console().error(QStringLiteral("La redirection « %1 » ne nomme aucun fichier.").arg(word));
                return kFailed;
            }
            append = word.size() == 2;
            target = words[++i];
        } else {
            command.append(word);
        }
    }
    if (command.isEmpty())
        return 0;

    const bool toFile = !target.isEmpty() && !is(target, "nul");
    const QString targetHost = toFile ? m_paths.toHost(target) : QString();
    // A report that may not be written there is refused before the command runs.
    if (toFile) {
        if (Status allowed = guard().allows(PathGuard::Act::Write, target, targetHost); !allowed) {
            Console().error(allowed.message());
            return kFailed;
        }
    }
    Console console;
    const int code = dispatch(command.first(), command.mid(1), console);
    const QStringList output = console.takeOutput();
    if (target.isEmpty()) {
        printToScreen(output);
    } else if (toFile) {
        if (Status written = writeToFile(targetHost, output, append); !written) {
            console.error(written.message());
            return kFailed;
        }
    }
    return code;
}

Interpreter::Interpreter(const PathResolver &paths, ShareStore &shares)
    : m_paths(paths)
    , m_shares(shares)
{
}

Interpreter::~Interpreter() = default;

const PathGuard &Interpreter::guard()
{
    // Made once a run, and only for a command that needs it: it looks at every drive's folder.
    if (!m_guard)
        m_guard = std::make_unique<PathGuard>(m_paths);
    return *m_guard;
}

int Interpreter::dispatch(const QString &command, const QStringList &arguments, Console &console)
{
    if (is(command, "md") || is(command, "mkdir"))
        return FileCommands(m_paths, guard(), console).makeFolder(arguments);
    if (is(command, "rd") || is(command, "rmdir"))
        return FileCommands(m_paths, guard(), console).removeFolder(arguments);
    if (is(command, "del") || is(command, "erase"))
        return FileCommands(m_paths, guard(), console).deleteFiles(arguments);
    if (is(command, "ren") || is(command, "rename"))
        return FileCommands(m_paths, guard(), console).rename(arguments);
    if (is(command, "net"))
        return ShareCommand(m_paths, guard(), m_shares, console).run(arguments);
    if (is(command, "diruse"))
        return DiskUsage(m_paths, console).run(arguments);
    if (is(command, "rem"))
        return 0;
    if (is(command, "echo")) {
        if (arguments.size() == 1 && (is(arguments.first(), "off") || is(arguments.first(), "on")))
            return 0;
        console.print(arguments.join(u' '));
        return 0;
    }
    if (is(command, "echo.")) {
        console.print(QString());
        return 0;
    }
    if (command.endsWith(QStringLiteral(".bat"), Qt::CaseInsensitive))
        return runScript(command, arguments);
    console.error(QStringLiteral("« %1 » n'est pas une commande connue de l'interpréteur.").arg(command));
    return kFailed;
}

QStringList Interpreter::expandLine(const QString &line, const QString &script, const QStringList &arguments)
{
    QString expanded;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line[i];
        if (c != u'%' || i + 1 >= line.size()) {
            expanded += c;
            continue;
        }
        const QChar next = line[i + 1];
        if (next.isDigit() && next.unicode() < 128) {
            const int index = next.digitValue();
            expanded += index == 0 ? script : arguments.value(index - 1);
            ++i;
        } else if (next == u'*') {
            expanded += arguments.join(u' ');
            ++i;
        } else if (next == u'%') {
            expanded += u'%';
            ++i;
        } else {
            expanded += c;
        }
    }
    return expanded.split(u' ', Qt::SkipEmptyParts);
}

int Interpreter::runScript(const QString &script, const QStringList &arguments)
{
    const QString host = m_paths.toHost(script);
    QFile file(host);
    if (!QFileInfo(host).isFile() || !file.open(QIODevice::ReadOnly)) {
        Console().error(QStringLiteral("Le script %1 est introuvable.").arg(script));
        return kFailed;
    }
    if (m_stopped)
        return kFailed;
    if (m_depth >= kMaxScriptDepth || ++m_calls > kMaxScriptCalls) {
        Console().error(QStringLiteral("Trop de scripts imbriqués : %1 n'est pas lancé.").arg(script));
        m_stopped = m_calls > kMaxScriptCalls;
        return kFailed;
    }
    QString text = Cp1252::decode(file.readAll());
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(u'\r', u'\n');

    ++m_depth;
    int code = 0;
    for (QString line : text.split(u'\n')) {
        if (m_stopped) {
            code = kFailed;
            break;
        }
        line = line.trimmed();
        while (line.startsWith(u'@'))
            line = line.mid(1).trimmed();
        if (line.isEmpty() || line.startsWith(u':'))
            continue; // blank lines, "::" comments and labels
        if (is(line.section(u' ', 0, 0), "rem"))
            continue; // before expansion, so that a comment never redirects
        const QStringList words = expandLine(line, script, arguments);
        if (words.isEmpty())
            continue;
        code = runCommand(words);
    }
    --m_depth;
    return code;
}
