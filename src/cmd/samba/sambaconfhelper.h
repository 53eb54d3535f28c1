#pragma once

#include "text/result.h"

#include <QJsonObject>
#include <QProcess>
#include <QString>

#include <chrono>

// One process on Samba's own Python bindings, kept while its owner lives, that reads and writes the
// shares of Samba's registry on request. Requests and answers are JSON objects, one a line, so that
// any character of a name, a path or a remark crosses as it is. The process is handed the smb.conf
// and nothing else: no password ever crosses.
//
//   {"op": "create", "name": N, "parameters": [[K, V], ...]}  the share and all its parameters in
//                                                             one registry transaction
//   {"op": "list"}                                            every section with its parameters
//
// The answer is {"ok": true, ...}, or {"ok": false, "error": E} where E is the library's own code
// ("SBC_ERR_FILE_EXISTS") or the text of what went wrong.
class SambaConfHelper
{
public:
    SambaConfHelper(QString python, QString sambaConf, std::chrono::milliseconds answerWithin);
    ~SambaConfHelper();
    SambaConfHelper(const SambaConfHelper &) = delete;
    SambaConfHelper &operator=(const SambaConfHelper &) = delete;

    // Starts the process and waits until the bindings are loaded and the registry is open; a failure
    // says why (no python, no bindings, no answer) and leaves no process behind.
    Status start();
    // The helper's answer to one request, or why none came: it died, kept silent longer than its
    // bound, or said something that is no answer. The process is then stopped and reaped, and the
    // request may or may not have been carried out.
    Result<QJsonObject> ask(const QJsonObject &request);

private:
    Result<QJsonObject> answer();
    // Ends the process, by force if it does not end of itself, and collects it.
    void stop();
    Status broken(const QString &why);

    QString m_python;
    QString m_sambaConf;
    std::chrono::milliseconds m_answerWithin;
    QProcess m_process;
};
