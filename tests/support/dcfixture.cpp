#include "dcfixture.h"

#include "directory/ldap/ldapnames.h"

#include <QDir>
#include <QFile>
#include <QProcess>

#include <csignal>

#include <unistd.h>

namespace {

// Provisioning is done by the test fixture before; starting from the tarball takes seconds, more on
// a loaded machine.
constexpr int scriptTimeoutMs = 180 * 1000;

} // namespace

DcFixture::~DcFixture()
{
    // A controller left running holds its ports and the next test's start fails: say why here.
    if (m_started) {
        if (const Status stopped = stop(); !stopped)
            qWarning("%s",
                qPrintable(
                    QStringLiteral("Le contrôleur de domaine de test ne s'est pas arrêté : ") + stopped.message()));
    }
}

DcFixture::Run DcFixture::runProgram(const QString &program, const QStringList &arguments, const QString &folder)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    if (!folder.isEmpty())
        process.setWorkingDirectory(folder);
    process.start(program, arguments);
    if (!process.waitForFinished(120 * 1000)) {
        process.kill();
        process.waitForFinished();
    }
    return Run {
        process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1, QString::fromUtf8(process.readAll())};
}

DcFixture::Run DcFixture::smbclient(
    const QString &folder, const QString &user, const QString &password, const QStringList &arguments)
{
    const QString file = folder + QStringLiteral("/smbauth");
    QFile auth(file);
    if (!auth.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return Run {-1, QStringLiteral("%1 : %2").arg(file, auth.errorString())};
    auth.setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    auth.write(QStringLiteral("username = %1\npassword = %2\ndomain = %3\n")
                   .arg(user, password, QString::fromLatin1(domain))
                   .toUtf8());
    auth.close();
    Run run = runProgram(QStringLiteral("smbclient"), QStringList {QStringLiteral("-A"), file} + arguments);
    QFile::remove(file);
    return run;
}

Status DcFixture::pointProgramFolder(const QString &folder)
{
    const QString conf = folder + QStringLiteral("/annuaire.conf");
    QFile::remove(conf);
    if (!QFile::copy(work() + QStringLiteral("/annuaire.conf"), conf))
        return Status::failure(QStringLiteral("annuaire.conf n'a pas pu être copié dans %1").arg(folder));
    if (!QFile::setPermissions(folder,
            QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::ExeGroup
                | QFile::ReadOther | QFile::ExeOther))
        return Status::failure(QStringLiteral("%1 n'a pas pu être ouvert aux comptes").arg(folder));
    return {};
}

int DcFixture::runTests(const std::function<int(DcFixture &dc)> &run)
{
    DcFixture dc;
    if (Status started = dc.start(); !started) {
        qCritical("Le contrôleur de domaine de test n'a pas démarré : %s", qPrintable(started.message()));
        return 1;
    }
    int failures = run(dc);
    if (Status stopped = dc.stop(); !stopped) {
        qCritical("%s", qPrintable(stopped.message()));
        ++failures;
    }
    return failures;
}

QString DcFixture::work()
{
    return QStringLiteral(VELMAR_DC_WORK);
}

Status DcFixture::runScript(const QString &action) const
{
    QProcess script;
    script.setProcessChannelMode(QProcess::MergedChannels);
    script.start(QStringLiteral(VELMAR_DC_SCRIPT), {action, work()});
    if (!script.waitForStarted())
        return Status::failure(QStringLiteral("dc %1 : %2").arg(action, script.errorString()));
    if (!script.waitForFinished(scriptTimeoutMs)) {
        script.kill();
        script.waitForFinished();
        return Status::failure(QStringLiteral("dc %1 : pas fini en %2 s").arg(action).arg(scriptTimeoutMs / 1000));
    }
    if (script.exitStatus() != QProcess::NormalExit || script.exitCode() != 0)
        return Status::failure(QStringLiteral("dc %1 a échoué :\n%2").arg(action, QString::fromUtf8(script.readAll())));
    return {};
}

Status DcFixture::start()
{
    m_admin.reset();
    Status started = runScript(QStringLiteral("start"));
    m_started = started.ok();
    return started;
}

Status DcFixture::stop()
{
    m_admin.reset();
    m_started = false;
    return runScript(QStringLiteral("stop"));
}

Status DcFixture::restart()
{
    if (Status s = stop(); !s)
        return s;
    return start();
}

QStringList DcFixture::processes()
{
    // The script keeps the DC's PID namespace as /proc shows it ("pid:[INODE]").
    QFile namespaceFile(work() + QStringLiteral("/dc.ns"));
    if (!namespaceFile.open(QIODevice::ReadOnly))
        return {};
    const QByteArray dcNamespace = namespaceFile.readAll().trimmed();
    if (dcNamespace.isEmpty())
        return {};
    QStringList found;
    const QStringList all = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &pid : all) {
        char link[64] = {};
        const QByteArray path = QStringLiteral("/proc/%1/ns/pid").arg(pid).toLatin1();
        const ssize_t length = ::readlink(path.constData(), link, sizeof link - 1);
        if (length > 0 && QByteArray(link, length) == dcNamespace)
            found << pid;
    }
    return found;
}

Status DcFixture::freezeDirectory()
{
    // Its LDAP server is the task "ldap": a master and its workers.
    int frozen = 0;
    for (const QString &pid : processes()) {
        QFile command(QStringLiteral("/proc/%1/comm").arg(pid));
        if (command.open(QIODevice::ReadOnly) && command.readAll().startsWith("ldap")
            && ::kill(pid.toInt(), SIGSTOP) == 0)
            ++frozen;
    }
    if (frozen == 0)
        return Status::failure(QStringLiteral("le serveur LDAP du contrôleur n'a pas été arrêté"));
    return {};
}

Result<LdapConfig> DcFixture::config() const
{
    return LdapConfig::read(work() + QStringLiteral("/annuaire.conf"), work());
}

Result<LdapConfig> DcFixture::config(const QString &otherBase) const
{
    auto read = config();
    if (read)
        read->base = otherBase;
    return read;
}

QString DcFixture::adminPassword() const
{
    QFile file(work() + QStringLiteral("/bindpass"));
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

LdapConnection &DcFixture::admin()
{
    if (!m_admin) {
        auto read = config();
        m_admin = std::make_unique<LdapConnection>(
            read ? *read : LdapConfig(), adminPassword().toUtf8(), LdapConnection::Timeouts());
    }
    return *m_admin;
}

Result<QString> DcFixture::freshUnit(const QString &name)
{
    const QString unit = QStringLiteral("OU=%1,%2").arg(name, QString::fromLatin1(base));
    LdapReply reply = admin().remove(unit, true);
    if (!reply.ok() && reply.code != 32 /* no such object */)
        return Result<QString>::failure(QStringLiteral("suppression de %1 : %2").arg(unit, reply.diagnostic));
    reply = admin().add(unit, {LdapMod {LdapMod::Add, QStringLiteral("objectClass"), {"organizationalUnit"}}});
    if (!reply.ok())
        return Result<QString>::failure(QStringLiteral("création de %1 : %2").arg(unit, reply.diagnostic));
    reply = admin().add(
        QStringLiteral("CN=Users,") + unit, {LdapMod {LdapMod::Add, QStringLiteral("objectClass"), {"container"}}});
    if (!reply.ok())
        return Result<QString>::failure(QStringLiteral("création de CN=Users,%1 : %2").arg(unit, reply.diagnostic));
    return unit;
}

QString DcFixture::passwordSettingsContainer()
{
    return QStringLiteral("CN=Password Settings Container,CN=System,") + QString::fromLatin1(base);
}

Status DcFixture::lockAfterThreeFailures(const QString &accountDn)
{
    const QString pso = QStringLiteral("CN=tests-verrouillage,") + passwordSettingsContainer();
    const QByteArray halfAnHour = "-18000000000";
    LdapReply reply = admin().add(pso,
        {LdapMod {LdapMod::Add, QStringLiteral("objectClass"), {"msDS-PasswordSettings"}},
            LdapMod {LdapMod::Add, QStringLiteral("msDS-PasswordSettingsPrecedence"), {"1"}},
            LdapMod {LdapMod::Add, QStringLiteral("msDS-PasswordReversibleEncryptionEnabled"), {"FALSE"}},
            LdapMod {LdapMod::Add, QStringLiteral("msDS-PasswordHistoryLength"), {"0"}},
            LdapMod {LdapMod::Add, QStringLiteral("msDS-PasswordComplexityEnabled"), {"FALSE"}},
            LdapMod {LdapMod::Add, QStringLiteral("msDS-MinimumPasswordLength"), {"0"}},
            LdapMod {LdapMod::Add, QStringLiteral("msDS-MinimumPasswordAge"), {"0"}},
            LdapMod {LdapMod::Add, QStringLiteral("msDS-MaximumPasswordAge"), {"-9223372036854775808"}},
            LdapMod {LdapMod::Add, QStringLiteral("msDS-LockoutThreshold"), {"3"}},
            LdapMod {LdapMod::Add, QStringLiteral("msDS-LockoutObservationWindow"), {halfAnHour}},
            LdapMod {LdapMod::Add, QStringLiteral("msDS-LockoutDuration"), {halfAnHour}}});
    if (!reply.ok() && reply.code != 68 /* already exists */)
        return Status::failure(QStringLiteral("création de %1 : %2").arg(pso, reply.diagnostic));
    reply = admin().modify(pso, {LdapMod {LdapMod::Add, QStringLiteral("msDS-PSOAppliesTo"), {accountDn.toUtf8()}}});
    if (!reply.ok() && reply.code != 20 /* already there */)
        return Status::failure(QStringLiteral("%1 appliqué à %2 : %3").arg(pso, accountDn, reply.diagnostic));
    return {};
}

QStringList DcFixture::policiesAppliedTo(const QString &dn)
{
    QList<LdapEntry> entries;
    const LdapReply reply = admin().search(passwordSettingsContainer(), LdapConnection::Scope::Subtree,
        QStringLiteral("(msDS-PSOAppliesTo=%1)").arg(LdapNames::filterValue(dn)), {QStringLiteral("cn")}, &entries);
    QStringList found;
    if (!reply.ok()) {
        found << QStringLiteral("? ") + reply.diagnostic;
        return found;
    }
    for (const LdapEntry &entry : std::as_const(entries))
        found << entry.dn;
    return found;
}
