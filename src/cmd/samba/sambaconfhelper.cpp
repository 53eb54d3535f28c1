#include "sambaconfhelper.h"

#include <QDeadlineTimer>
#include <QJsonDocument>
#include <QJsonParseError>

namespace {

// Given to the interpreter with -c, so that nothing is installed beside the program. The answers go
// out on a copy of the standard output, and the standard output itself is pointed at the standard
// error: whatever the library prints cannot land between two answers.
constexpr const char *helperScript = R"py(
import json, os, sys

answers = os.fdopen(os.dup(1), "w", encoding="ascii")
os.dup2(2, 1)

def answer(message):
    answers.write(json.dumps(message) + "\n")
    answers.flush()

try:
    import samba.samba3.param as param
    import samba.samba3.smbconf as smbconf
    from samba.smbconf import SMBConfError
    lp = param.get_context()
    lp.load(sys.argv[1])
    conf = smbconf.init_reg(None)
except Exception as e:
    answer({"ready": False, "error": "%s: %s" % (type(e).__name__, e)})
    sys.exit(1)

def create(request):
    name = request["name"]
    conf.transaction_start()
    try:
        conf.create_share(name)
        for key, value in request["parameters"]:
            conf.set_parameter(name, key, value)
    except BaseException:
        conf.transaction_cancel()
        raise
    conf.transaction_commit()
    return {"ok": True}

def sections(request):
    return {"ok": True, "sections": conf.get_config()}

operations = {"create": create, "list": sections}
answer({"ready": True})
while True:
    line = sys.stdin.buffer.readline()
    if not line:
        break
    try:
        request = json.loads(line)
        reply = operations[request["op"]](request)
    except SMBConfError as e:
        reply = {"ok": False, "error": str(e.args[1] if len(e.args) > 1 else e)}
    except Exception as e:
        reply = {"ok": False, "error": "%s: %s" % (type(e).__name__, e)}
    answer(reply)
)py";

// Enough of what the process said on its standard error to tell why it failed.
QString lastWords(QProcess &process)
{
    const QByteArray said = process.readAllStandardError().trimmed();
    const QByteArray last = said.mid(said.lastIndexOf('\n') + 1).trimmed();
    return last.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(QString::fromLocal8Bit(last.left(300)));
}

} // namespace

SambaConfHelper::SambaConfHelper(QString python, QString sambaConf, std::chrono::milliseconds answerWithin)
    : m_python(std::move(python))
    , m_sambaConf(std::move(sambaConf))
    , m_answerWithin(answerWithin)
{
}

SambaConfHelper::~SambaConfHelper()
{
    stop();
}

Status SambaConfHelper::start()
{
    m_process.setProcessChannelMode(QProcess::SeparateChannels);
    m_process.start(m_python, {QStringLiteral("-c"), QString::fromUtf8(helperScript), m_sambaConf});
    if (!m_process.waitForStarted())
        return broken(QStringLiteral("%1 ne démarre pas : %2").arg(m_python, m_process.errorString()));
    auto ready = answer();
    if (!ready)
        return ready.status();
    if (!ready->value(QStringLiteral("ready")).toBool())
        return broken(QStringLiteral("les modules Python de Samba ne sont pas utilisables : %1")
                          .arg(ready->value(QStringLiteral("error")).toString()));
    return {};
}

Result<QJsonObject> SambaConfHelper::ask(const QJsonObject &request)
{
    if (m_process.state() != QProcess::Running)
        return broken(QStringLiteral("l'aide Python de Samba ne tourne pas"));
    const QByteArray line = QJsonDocument(request).toJson(QJsonDocument::Compact) + '\n';
    if (m_process.write(line) != line.size())
        return broken(QStringLiteral("l'aide Python de Samba ne reçoit plus rien"));
    return answer();
}

Result<QJsonObject> SambaConfHelper::answer()
{
    const QDeadlineTimer deadline(m_answerWithin);
    while (!m_process.canReadLine()) {
        if (m_process.state() != QProcess::Running)
            return broken(QStringLiteral("l'aide Python de Samba s'est arrêtée%1").arg(lastWords(m_process)));
        if (!m_process.waitForReadyRead(int(deadline.remainingTime())) && deadline.hasExpired()) {
            return broken(QStringLiteral("l'aide Python de Samba n'a pas répondu en %1 s")
                              .arg(std::chrono::duration_cast<std::chrono::seconds>(m_answerWithin).count()));
        }
    }
    const QByteArray line = m_process.readLine();
    // Whatever the library said on the way is of no use once the answer is in, and would pile up.
    m_process.readAllStandardError();
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(line, &error);
    if (!document.isObject())
        return broken(
            QStringLiteral("l'aide Python de Samba a répondu « %1 »").arg(QString::fromUtf8(line.trimmed().left(300))));
    return document.object();
}

Status SambaConfHelper::broken(const QString &why)
{
    stop();
    return Status::failure(why);
}

void SambaConfHelper::stop()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    // At the end of its input the process ends of itself; one that does not is ended.
    m_process.closeWriteChannel();
    if (!m_process.waitForFinished(2000)) {
        m_process.kill();
        m_process.waitForFinished();
    }
}
