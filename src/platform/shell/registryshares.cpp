#include "registryshares.h"

#include "config/ldapconfig.h"

#include <QProcess>

namespace {

constexpr int testparmTimeoutMs = 60 * 1000;

QString said(const QByteArray &output)
{
    return QString::fromLocal8Bit(output).trimmed().replace(u'\n', QStringLiteral(" ; "));
}

} // namespace

namespace RegistryShares {

QString lineToAdd()
{
    return QStringLiteral("registry shares = yes");
}

Status fromTestparm(const QString &sambaConf, int exitCode, const QByteArray &output, const QByteArray &errors)
{
    if (exitCode != 0)
        return Status::failure(QStringLiteral("La configuration de Samba %1 ne peut pas être lue par testparm : %2")
                                   .arg(sambaConf, said(errors + output)));
    // The value alone, on the last line of the output.
    const QString value = QString::fromUtf8(output).trimmed().section(u'\n', -1).trimmed();
    if (value.compare(QStringLiteral("Yes"), Qt::CaseInsensitive) == 0)
        return {};
    if (value.compare(QStringLiteral("No"), Qt::CaseInsensitive) == 0)
        return Status::failure(
            QStringLiteral("Samba ne sert pas les partages que Velmar écrit dans son registre : ajoutez la ligne "
                           "« %1 » à la section [global] de %2, puis recommencez.")
                .arg(lineToAdd(), sambaConf));
    return Status::failure(
        QStringLiteral("testparm ne dit pas si %1 sert les partages du registre (%2).").arg(sambaConf, said(output)));
}

Status check(const QString &sambaConf)
{
    QProcess testparm;
    testparm.start(QStringLiteral("testparm"),
        {QStringLiteral("-s"), QStringLiteral("--parameter-name=registry shares"), QStringLiteral("--"), sambaConf});
    if (!testparm.waitForStarted())
        return Status::failure(
            QStringLiteral("La commande « testparm » de Samba ne démarre pas : %1.").arg(testparm.errorString()));
    if (!testparm.waitForFinished(testparmTimeoutMs)) {
        testparm.kill();
        testparm.waitForFinished();
        return Status::failure(
            QStringLiteral("La commande « testparm » de Samba n'a pas fini en %1 s.").arg(testparmTimeoutMs / 1000));
    }
    const int exitCode = testparm.exitStatus() == QProcess::NormalExit ? testparm.exitCode() : -1;
    return fromTestparm(sambaConf, exitCode, testparm.readAllStandardOutput(), testparm.readAllStandardError());
}

} // namespace RegistryShares

Status checkSharesServed(const PathResolver &paths)
{
    const auto config = LdapConfig::ofProgramFolder(paths);
    if (!config)
        return {};
    if (!*config)
        return config->status();
    if ((*config)->sambaConf.isEmpty())
        return {};
    return RegistryShares::check((*config)->sambaConf);
}
