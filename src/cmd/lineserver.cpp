#include "lineserver.h"

#include "console.h"
#include "interpreter.h"
#include "servedline.h"
#include "sharestore.h"
#include "text/pathresolver.h"

#include <QFile>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <unistd.h>

namespace {

// Gives this process the environment the line would have started with.
void applyEnvironment(const QList<QByteArray> &entries)
{
    ::clearenv();
    for (const QByteArray &entry : entries) {
        const qsizetype equals = entry.indexOf('=');
        if (equals <= 0)
            continue; // no name: the system would not have passed it either
        ::setenv(entry.left(equals).constData(), entry.mid(equals + 1).constData(), 1);
    }
}

} // namespace

LineServer::LineServer(QString programFolder, StoreOpener openStore)
    : m_programFolder(std::move(programFolder))
    , m_openStore(std::move(openStore))
{
}

LineServer::~LineServer() = default;

ShareStore &LineServer::storeFor(const PathResolver &paths)
{
    // Where shares are kept is decided by the program folder's configuration: a store opened for
    // another one is opened again.
    QByteArray config = QByteArrayLiteral("-");
    QFile file(paths.lookUp(paths.programFolder() + QStringLiteral("\\annuaire.conf")));
    if (file.exists())
        config = file.open(QIODevice::ReadOnly) ? QByteArrayLiteral("+") + file.readAll() : QByteArrayLiteral("?");
    if (!m_store || config != m_storeConfig) {
        m_store.reset();
        m_store = m_openStore(paths);
        m_storeConfig = config;
    }
    return *m_store;
}

int LineServer::runLine(const ServedLine &line)
{
    if (line.environment)
        applyEnvironment(*line.environment);
    if (!line.workingFolder.isEmpty() && ::chdir(line.workingFolder.constData()) != 0) {
        // A process would not have started there either.
        Console().error(QStringLiteral("Impossible de se placer dans le dossier %1 : %2")
                            .arg(QFile::decodeName(line.workingFolder), QString::fromLocal8Bit(std::strerror(errno))));
        return 1;
    }
    const PathResolver paths(m_programFolder);
    Interpreter interpreter(paths, storeFor(paths));
    return interpreter.runArguments(line.words.mid(1));
}

int LineServer::serve(int requestFd, int answerFd)
{
    QByteArray stream;
    char buffer[64 * 1024];
    for (;;) {
        auto taken = ServedLine::take(stream);
        if (!taken) {
            Console().error(taken.message());
            return 2;
        }
        if (*taken) {
            const int code = runLine(**taken);
            // Everything the line printed is out before the shell learns that it ended.
            std::fflush(stdout);
            std::fflush(stderr);
            // The shell has gone away: this process simply ends.
            if (!ServedLine::sendAll(answerFd, ServedLine::answer(code)))
                return 0;
            continue;
        }
        const ssize_t got = ::read(requestFd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0) {
            if (stream.isEmpty())
                return 0;
            Console().error(QStringLiteral("La dernière demande reçue par l'interpréteur est incomplète : elle "
                                           "n'est pas exécutée."));
            return 2;
        }
        stream.append(buffer, got);
    }
}
