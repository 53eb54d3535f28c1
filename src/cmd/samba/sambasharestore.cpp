#include "sambasharestore.h"

#include "sambaconfhelper.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QProcess>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

// The library's header declares its functions for C alone.
extern "C" {
#include <wbclient.h>
}

namespace {

constexpr int commandTimeoutMs = 60 * 1000;

QString said(const QByteArray &output)
{
    return QString::fromLocal8Bit(output).trimmed().replace(u'\n', QStringLiteral(" ; "));
}

} // namespace

SambaShareStore::SambaShareStore(QString sambaConf)
    : SambaShareStore(std::move(sambaConf), Bindings())
{
}

SambaShareStore::SambaShareStore(QString sambaConf, Bindings bindings)
    : m_sambaConf(std::move(sambaConf))
    , m_bindings(std::move(bindings))
{
}

SambaShareStore::~SambaShareStore() = default;

Result<SambaShareStore::Output> SambaShareStore::netConf(const QStringList &words) const
{
    const QString program = QStringLiteral("net");
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, QStringList {QStringLiteral("-s"), m_sambaConf, QStringLiteral("conf")} + words);
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
    // The account a personal share belongs to is known before anything is written: a share that
    // could not be kept to it would be open to all.
    const bool personal = share.name.size() >= 2 && share.name.endsWith(u'$');
    const QString login = personal ? share.name.chopped(1) : QString();
    auto account = personal ? accountOf(login) : Result<std::optional<Account>>(std::optional<Account>());
    if (!account)
        return Status::failure(
            QStringLiteral("Le partage « %1 » n'est pas créé : %2").arg(share.name, account.message()));
    // A personal share admits its account and the domain's administrators alone; an ordinary share,
    // or a hidden share of some other folder, has nothing to keep private.
    const QString admins = *account ? (*account)->sid.section(u'-', 0, -2) + QStringLiteral("-512") : QString();
    const QStringList validUsers = *account ? QStringList {(*account)->sid, admins} : QStringList();
    SambaConfHelper *bindings = helper();
    if (Status made
        = bindings ? createThroughHelper(*bindings, share, validUsers) : createThroughNetConf(share, validUsers, false);
        !made)
        return made;
    if (!*account || !share.mayGiveToAccount)
        return {};
    if (Status given = giveToAccount(login, **account, admins, share.hostPath); !given)
        return Status::failure(QStringLiteral("Le partage « %1 » est créé, mais %2").arg(share.name, given.message()));
    return {};
}

SambaConfHelper *SambaShareStore::helper() const
{
    if (m_throughNetConf)
        return nullptr;
    if (!m_helper) {
        m_helper = std::make_unique<SambaConfHelper>(m_bindings.python, m_sambaConf, m_bindings.answerWithin);
        if (Status started = m_helper->start(); !started) {
            fallBack(started.message());
            return nullptr;
        }
    }
    return m_helper.get();
}

void SambaShareStore::fallBack(const QString &why) const
{
    m_helper.reset();
    m_throughNetConf = true;
    const QString notice = QStringLiteral("Les partages de Samba passent désormais par « net conf », "
                                          "rien n'est perdu : %1.")
                               .arg(why);
    if (m_bindings.notice) {
        m_bindings.notice(notice);
        return;
    }
    const QByteArray bytes = notice.toLocal8Bit() + '\n';
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
    std::fflush(stderr);
}

SambaShareStore::Parameters SambaShareStore::parametersOf(const Share &share, const QStringList &validUsers)
{
    // "net conf addshare NAME PATH writeable=y guest_ok=n REMARK" writes the first four, and the
    // registry keeps "writeable = yes" as "read only = no".
    Parameters parameters {{QStringLiteral("path"), share.hostPath}, {QStringLiteral("comment"), share.remark},
        {QStringLiteral("guest ok"), QStringLiteral("no")}, {QStringLiteral("read only"), QStringLiteral("no")}};
    if (!validUsers.isEmpty())
        parameters.append({QStringLiteral("valid users"), validUsers.join(u' ')});
    return parameters;
}

Status SambaShareStore::createThroughHelper(SambaConfHelper &helper, const Share &share, const QStringList &validUsers)
{
    // The bindings take any name and any path; "net conf" refused these, and so does the store.
    const auto refused = [&](const QString &why) {
        return Status::failure(
            QStringLiteral("Le partage « %1 » n'a pas pu être créé dans Samba : %2").arg(share.name, why));
    };
    static const QString forbidden = QStringLiteral("%<>*?|/\\+=;:\",");
    if (std::any_of(share.name.begin(), share.name.end(), [](QChar c) { return forbidden.contains(c); }))
        return refused(QStringLiteral("un nom de partage ne contient aucun des caractères %1.").arg(forbidden));
    if (share.name.compare(QStringLiteral("global"), Qt::CaseInsensitive) == 0)
        return refused(QStringLiteral("« global » est le nom des réglages communs de Samba."));
    if (!QFileInfo(share.hostPath).isAbsolute() || !QFileInfo(share.hostPath).isDir())
        return refused(QStringLiteral("%1 n'est pas un dossier de ce serveur.").arg(share.hostPath));

    QJsonArray parameters;
    for (const auto &[key, value] : parametersOf(share, validUsers))
        parameters.append(QJsonArray {key, value});
    auto answer = helper.ask({{QStringLiteral("op"), QStringLiteral("create")}, {QStringLiteral("name"), share.name},
        {QStringLiteral("parameters"), parameters}});
    if (!answer) {
        fallBack(answer.message());
        return createThroughNetConf(share, validUsers, true);
    }
    if (answer->value(QStringLiteral("ok")).toBool())
        return {};
    const QString error = answer->value(QStringLiteral("error")).toString();
    if (error == QStringLiteral("SBC_ERR_FILE_EXISTS"))
        return Status::failure(QStringLiteral("Le partage « %1 » existe déjà.").arg(share.name));
    return refused(error);
}

Status SambaShareStore::createThroughNetConf(const Share &share, const QStringList &validUsers, bool maybeDone)
{
    // "--" ends the options: a share name may begin with a dash.
    auto added = netConf({QStringLiteral("addshare"), QStringLiteral("--"), share.name, share.hostPath,
        QStringLiteral("writeable=y"), QStringLiteral("guest_ok=n"), share.remark});
    if (!added)
        return added.status();
    if (added->exitCode != 0) {
        if (added->text.contains("already exists")) {
            // The helper may have written it before it went away: the share as asked is no clash.
            if (maybeDone) {
                auto there = netConfParameters(share.name);
                // What "net conf" shows is trimmed.
                Parameters asked = parametersOf(share, validUsers);
                for (auto &parameter : asked)
                    parameter.second = parameter.second.trimmed();
                if (there && *there == asked)
                    return {};
            }
            return Status::failure(QStringLiteral("Le partage « %1 » existe déjà.").arg(share.name));
        }
        return Status::failure(QStringLiteral("Le partage « %1 » n'a pas pu être créé dans Samba : %2")
                                   .arg(share.name, said(added->text)));
    }
    if (validUsers.isEmpty())
        return {};
    // "net conf" has no way to add a share and its users at once: until the second command, the share
    // is open to all, and one that cannot be reserved is better not there at all.
    if (Status reserved = reserve(share.name, validUsers); !reserved) {
        const Status removed = remove(share.name);
        return Status::failure(
            QStringLiteral("Le partage « %1 » n'a pas pu être réservé au compte « %2 » : %3 %4")
                .arg(share.name, share.name.chopped(1), reserved.message(),
                    removed ? QStringLiteral("Il est retiré.")
                            : QStringLiteral("Il n'a pas pu être retiré : %1").arg(removed.message())));
    }
    return {};
}

Result<SambaShareStore::Parameters> SambaShareStore::netConfParameters(const QString &share) const
{
    auto shown = netConf({QStringLiteral("showshare"), QStringLiteral("--"), share});
    if (!shown)
        return shown.status();
    if (shown->exitCode != 0)
        return Result<Parameters>::failure(said(shown->text));
    Parameters parameters;
    for (const QByteArray &raw : shown->text.split('\n')) {
        const QString line = QString::fromUtf8(raw).trimmed();
        const qsizetype equals = line.indexOf(u'=');
        if (!line.startsWith(u'[') && equals > 0)
            parameters.append({line.left(equals).trimmed(), line.mid(equals + 1).trimmed()});
    }
    return parameters;
}

Result<std::optional<SambaShareStore::Account>> SambaShareStore::accountOf(const QString &login) const
{
    using Found = std::optional<Account>;
    // Asked of winbind in this process: one program started per question cost more than the share.
    // A name alone belongs to the domain winbind serves (asked once per store), a name with "@" is
    // looked up as it stands.
    if (!login.contains(u'@') && !m_domain) {
        struct wbcInterfaceDetails *details = nullptr;
        const wbcErr asked = wbcInterfaceDetails(&details);
        if (!WBC_ERROR_IS_OK(asked))
            return Result<Found>::failure(
                QStringLiteral("le compte « %1 » n'a pas pu être cherché auprès de winbind (%2).")
                    .arg(login, QString::fromLatin1(wbcErrorString(asked))));
        m_domain = details->netbios_domain ? QByteArray(details->netbios_domain) : QByteArray();
        wbcFreeMemory(details);
    }
    const QByteArray domain = login.contains(u'@') ? QByteArray() : *m_domain;
    wbcDomainSid sid {};
    wbcSidType type = WBC_SID_NAME_UNKNOWN;
    const wbcErr named = wbcLookupName(domain.constData(), login.toUtf8().constData(), &sid, &type);
    if (named == WBC_ERR_DOMAIN_NOT_FOUND || named == WBC_ERR_UNKNOWN_USER)
        return Found();
    if (!WBC_ERROR_IS_OK(named))
        return Result<Found>::failure(QStringLiteral("le compte « %1 » n'a pas pu être cherché auprès de winbind (%2).")
                                          .arg(login, QString::fromLatin1(wbcErrorString(named))));
    if (type != WBC_SID_NAME_USER)
        return Found(); // a group or another kind of name
    uid_t uid = 0;
    if (const wbcErr mapped = wbcSidToUid(&sid, &uid); !WBC_ERROR_IS_OK(mapped))
        return Result<Found>::failure(QStringLiteral("le compte « %1 » n'a pas d'identifiant Unix (%2).")
                                          .arg(login, QString::fromLatin1(wbcErrorString(mapped))));
    // The buffer is sized for the longest SID there is: the length it returns needs no check.
    char text[WBC_SID_STRING_BUFLEN];
    wbcSidToStringBuf(&sid, text, sizeof text);
    return Found(Account {QString::fromLatin1(text), uint(uid)});
}

Result<uint> SambaShareStore::groupIdOf(const QString &sid) const
{
    // Always the domain's administrators: asked once per store, it costs more than the share itself.
    if (const auto known = m_groupIds.constFind(sid); known != m_groupIds.cend())
        return *known;
    wbcDomainSid parsed {};
    wbcErr done = wbcStringToSid(sid.toLatin1().constData(), &parsed);
    gid_t gid = 0;
    if (WBC_ERROR_IS_OK(done))
        done = wbcSidToGid(&parsed, &gid);
    if (!WBC_ERROR_IS_OK(done))
        return Result<uint>::failure(QString::fromLatin1(wbcErrorString(done)));
    m_groupIds.insert(sid, uint(gid));
    return uint(gid);
}

Status SambaShareStore::reserve(const QString &share, const QStringList &sids) const
{
    auto set = netConf(
        {QStringLiteral("setparm"), QStringLiteral("--"), share, QStringLiteral("valid users"), sids.join(u' ')});
    if (!set)
        return set.status();
    if (set->exitCode != 0)
        return Status::failure(said(set->text));
    return {};
}

Status SambaShareStore::giveToAccount(
    const QString &login, const Account &account, const QString &admins, const QString &folder) const
{
    // The account owns the folder, the domain's administrators are its group, and nobody else may
    // even look in: a pupil's work is the pupil's.
    auto group = groupIdOf(admins);
    const QByteArray path = QFile::encodeName(folder);
    const gid_t gid = group ? gid_t(*group) : gid_t(-1);
    const mode_t mode = group ? S_IRWXU | S_IRWXG : S_IRWXU;
    if (::chown(path.constData(), account.uid, gid) != 0 || ::chmod(path.constData(), mode) != 0)
        return Status::failure(QStringLiteral("le dossier %1 n'a pas pu être donné au compte « %2 » : %3.")
                                   .arg(folder, login, QString::fromLocal8Bit(::strerror(errno))));
    if (!group)
        return Status::failure(
            QStringLiteral("le groupe des administrateurs du domaine n'a pas d'identifiant Unix (%1) : le dossier %2 "
                           "n'est ouvert qu'au compte « %3 ».")
                .arg(group.message(), folder, login));
    return {};
}

Status SambaShareStore::remove(const QString &name)
{
    // Not through the bindings: Samba keeps a share's access list apart from the registry, and only
    // "net conf delshare" drops it too, so that a share made again under that name starts afresh.
    auto removed = netConf({QStringLiteral("delshare"), QStringLiteral("--"), name});
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
    if (SambaConfHelper *bindings = helper()) {
        auto answer = bindings->ask({{QStringLiteral("op"), QStringLiteral("list")}});
        if (answer && answer->value(QStringLiteral("ok")).toBool())
            return sharesOf(answer->value(QStringLiteral("sections")).toArray());
        if (answer)
            return Result<QList<Share>>::failure(
                QStringLiteral("La liste des partages de Samba n'a pas pu être lue : %1")
                    .arg(answer->value(QStringLiteral("error")).toString()));
        fallBack(answer.message());
    }
    auto listed = netConf({QStringLiteral("list")});
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

QList<Share> SambaShareStore::sharesOf(const QJsonArray &sections)
{
    QList<Share> shares;
    for (const QJsonValue &section : sections) {
        const QJsonArray pair = section.toArray();
        const QString name = pair.at(0).toString();
        if (name.compare(QStringLiteral("global"), Qt::CaseInsensitive) == 0)
            continue;
        Share share {name, QString(), QString(), QString()};
        for (const QJsonValue &parameter : pair.at(1).toArray()) {
            const QString key = parameter.toArray().at(0).toString().toLower();
            const QString value = parameter.toArray().at(1).toString();
            if (key == QStringLiteral("path"))
                share.path = share.hostPath = value;
            else if (key == QStringLiteral("comment"))
                share.remark = value;
        }
        shares.append(share);
    }
    return shares;
}
