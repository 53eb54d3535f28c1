#pragma once

#include <QByteArray>
#include <QString>

#include <functional>
#include <memory>

class PathResolver;
class ShareStore;
struct ServedLine;

// The interpreter's serving mode: the shell keeps a few interpreters for its whole life and hands
// each of them line after line, instead of starting a process, and loading its libraries, per line.
// Lines come in on one descriptor (see ServedLine) and each is answered with its exit code on
// another; what the commands print still goes to standard output and error. Every line runs as a
// process of its own would: on a new Interpreter, with the drive map read again, in the working
// folder and environment that came with it, and with nothing on its standard input. The share store
// is kept from line to line while the program folder's configuration stays the same: the stores
// read what other processes changed at each call.
class LineServer
{
public:
    using StoreOpener = std::function<std::unique_ptr<ShareStore>(const PathResolver &)>;

    LineServer(QString programFolder, StoreOpener openStore);
    ~LineServer();

    // Serves until the request stream ends (0) or holds something that is no line (2, said on
    // standard error). The descriptors are the serving process's own.
    int serve(int requestFd, int answerFd);

private:
    int runLine(const ServedLine &line);
    ShareStore &storeFor(const PathResolver &paths);

    QString m_programFolder;
    StoreOpener m_openStore;
    QByteArray m_storeConfig; // the configuration the kept store was opened with
    std::unique_ptr<ShareStore> m_store;
};
