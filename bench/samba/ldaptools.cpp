#include "ldaptools.h"

#include <QProcess>
#include <QProcessEnvironment>

Status runLdapTool(const LdapConfig &config, const QString &program, const QStringList &arguments)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LDAPTLS_CACERT"), config.caFile);
    process.setProcessEnvironment(environment);
    process.setStandardOutputFile(QProcess::nullDevice());
    process.start(program,
        QStringList {QStringLiteral("-x"), QStringLiteral("-H"), config.uri, QStringLiteral("-D"), config.bindDn,
            QStringLiteral("-y"), config.passwordFile}
            + arguments);
    // Filling a domain of thousands of accounts takes minutes on a busy machine.
    process.waitForFinished(10 * 60 * 1000);
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return Status::failure(
            program + QStringLiteral(" failed: ") + QString::fromUtf8(process.readAllStandardError()));
    return {};
}
