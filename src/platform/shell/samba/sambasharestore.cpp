#include "sambasharestore.h"

#include <QFile>
#include <QProcess>

#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int commandTimeoutMs = 60 * 1000;

QString said(const QByteArray &output)
{
    return QString::fromLocal8Bit(output).trimmed().replace(u'\n', QStringLiteral(" ; "));
}

} // namespace

SambaShareStore::SambaShareStore(QString sambaConf)
    : m_sambaConf(std::move(sambaConf))
{
}

Result<SambaShareStore::Output> SambaShareStore::run(const QString &program, const QStringList &arguments) const
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    if (!process.waitForStarted())
        return Result<Output>::failure(
            QStringLiteral("La commande « %1 » de Samba ne démarre pas : %2.").arg(program, process.errorString()));
    if (!process.waitForFinished(commandTimeoutMs)) {
        process.kill();
        process.waitForFinished();
        return Result<Output>::failure(QStringLiteral("La commande « %1 » de Samba n'a pas fini en %2 s.")
                                           .arg(program)
                                           .arg(commandTimeoutMs / 1000));
    }
    return Output {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1, process.readAll()};
}

Status SambaShareStore::add(const Share &share)
{
    if (Status text = share.checkText(); !text)
        return text;
    // "--" ends the options: a share name may begin with a dash.
    auto added = run(QStringLiteral("net"),
        {QStringLiteral("-s"), m_sambaConf, QStringLiteral("conf"), QStringLiteral("addshare"), QStringLiteral("--"),
            share.name, share.hostPath, QStringLiteral("writeable=y"), QStringLiteral("guest_ok=n"), share.remark});
    if (!added)
        return added.status();
    if (added->exitCode != 0) {
        if (added->text.contains("already exists"))
            return Status::failure(QStringLiteral("Le partage « %1 » existe déjà.").arg(share.name));
        return Status::failure(QStringLiteral("Le partage « %1 » n'a pas pu être créé dans Samba : %2")
                                   .arg(share.name, said(added->text)));
    }
    if (share.name.size() > 1 && share.name.endsWith(u'$')) {
        if (Status given = giveToAccount(share.name.chopped(1), share.hostPath); !given)
            return Status::failure(
                QStringLiteral("Le partage « %1 » est créé, mais %2").arg(share.name, given.message()));
    }
    return {};
}

Status SambaShareStore::giveToAccount(const QString &account, const QString &folder) const
{
    // The account as winbind maps it to this machine: "DOMAIN\name:*:uid:gid:...".
    auto info = run(QStringLiteral("wbinfo"), {QStringLiteral("--user-info=") + account});
    if (!info)
        return Status::failure(info.message());
    if (info->exitCode != 0) {
        // Not an account of the domain (a hidden share of some other folder): nothing to hand over.
        if (info->text.contains("WBC_ERR_DOMAIN_NOT_FOUND") || info->text.contains("WBC_ERR_UNKNOWN_USER"))
            return {};
        return Status::failure(QStringLiteral("le compte « %1 » n'a pas pu être cherché auprès de winbind (%2).")
                                   .arg(account, said(info->text)));
    }
    const QList<QByteArray> fields = info->text.trimmed().split(':');
    bool number = false;
    const uint id = fields.size() > 2 ? fields[2].toUInt(&number) : 0;
    if (!number)
        return Status::failure(
            QStringLiteral("le compte « %1 » n'a pas d'identifiant Unix (%2).").arg(account, said(info->text)));

    const QByteArray path = QFile::encodeName(folder);
    struct stat attributes;
    if (::stat(path.constData(), &attributes) != 0 || ::chown(path.constData(), id, gid_t(-1)) != 0
        || ::chmod(path.constData(), (attributes.st_mode & 07777) | S_IRWXU) != 0)
        return Status::failure(QStringLiteral("le dossier %1 n'a pas pu être donné au compte « %2 » : %3.")
                                   .arg(folder, account, QString::fromLocal8Bit(::strerror(errno))));
    return {};
}

Status SambaShareStore::remove(const QString &name)
{
    auto removed = run(QStringLiteral("net"),
        {QStringLiteral("-s"), m_sambaConf, QStringLiteral("conf"), QStringLiteral("delshare"), QStringLiteral("--"),
            name});
    if (!removed)
        return removed.status();
    if (removed->exitCode != 0) {
        if (removed->text.contains("NO_SUCH_SERVICE"))
            return Status::failure(QStringLiteral("Le partage « %1 » n'existe pas.").arg(name));
        return Status::failure(
            QStringLiteral("Le partage « %1 » n'a pas pu être supprimé de Samba : %2").arg(name, said(removed->text)));
    }
    return {};
}

Result<QList<Share>> SambaShareStore::list() const
{
    auto listed = run(
        QStringLiteral("net"), {QStringLiteral("-s"), m_sambaConf, QStringLiteral("conf"), QStringLiteral("list")});
    if (!listed)
        return listed.status();
    if (listed->exitCode != 0)
        return Result<QList<Share>>::failure(
            QStringLiteral("La liste des partages de Samba n'a pas pu être lue : %1").arg(said(listed->text)));
    return parseList(listed->text);
}

QList<Share> SambaShareStore::parseList(const QByteArray &text)
{
    QList<Share> shares;
    bool inShare = false;
    for (const QByteArray &raw : text.split('\n')) {
        const QString line = QString::fromUtf8(raw).trimmed();
        if (line.startsWith(u'[') && line.endsWith(u']')) {
            const QString name = line.mid(1, line.size() - 2);
            inShare = name.compare(QStringLiteral("global"), Qt::CaseInsensitive) != 0;
            if (inShare)
                shares.append(Share {name, QString(), QString(), QString()});
            continue;
        }
        const qsizetype equals = line.indexOf(u'=');
        if (!inShare || equals < 0)
            continue;
        const QString key = line.left(equals).trimmed().toLower();
        const QString value = line.mid(equals + 1).trimmed();
        if (key == QStringLiteral("path")) {
            shares.last().path = value;
            shares.last().hostPath = value;
        } else if (key == QStringLiteral("comment")) {
            shares.last().remark = value;
        }
    }
    return shares;
}
