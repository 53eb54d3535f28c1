// Step 3 of the provisioning panel, "Créer les utilisateurs et droits", against the throwaway Samba
// domain controller, next to what the server itself manages with its own tools, in the same run:
//
//   1. Velmar's bulk creation of COUNT pupils (accounts with password and properties, two group
//      adds each, perso.bat sharing each personal folder): with no script started (the directory's
//      part alone), with the shares in the program folder's own list, and in the DC's Samba;
//   2. the same COUNT accounts, with their properties and passwords the domain's own policy takes,
//      as one LDIF through ldapadd; and, for what the server can do with the step's own writes, the
//      step's five writes per pupil (the account, its second change, two group adds, then its
//      password under the pupils' policy), through ldapmodify;
//   3. "samba-tool user create" for 20 of them.
//
// The DC starts again from its tarball before each part, so each works on the same empty domain.
//
//   bench_samba_bulk [COUNT]      (default: 500)
#include "benchfolder.h"
#include "bulkaccounts.h"
#include "dcfixture.h"
#include "directory/directoryfactory.h"
#include "passwordgenerator.h"
#include "pupilnaming.h"
#include "pupilpolicy.h"
#include "quietoutput.h"
#include "services.h"
#include "shell/processshell.h"
#include "standins.h"
#include "text/pathresolver.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>

#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int kPupilsPerClass = 30;
constexpr int kSambaToolAccounts = 20;

enum class Scripts { None, FileShares, SambaShares };

struct Pupil
{
    QString surname, firstNames, className, login;
};

QList<Pupil> pupils(int count)
{
    QList<Pupil> all;
    for (int i = 0; i < count; ++i) {
        Pupil p {QStringLiteral("NOM%1").arg(i), QStringLiteral("Prenom"),
            QStringLiteral("C%1").arg(i / kPupilsPerClass), QString()};
        p.login = PupilNaming::login(p.className, p.surname, p.firstNames);
        all.append(p);
    }
    return all;
}

void fail(const QString &what)
{
    std::fprintf(stderr, "bench_samba_bulk: %s\n", qPrintable(what));
}

// A program folder pointed at the DC: the built interpreter and perso.bat, drives C: and E: inside.
bool layDcProgramFolder(const QString &folder, bool sambaShares)
{
    if (!layProgramFolder(folder, {QStringLiteral("C"), QStringLiteral("E")}))
        return false;
    // Pupils reach their folders below this one.
    ::chmod(QFile::encodeName(folder).constData(), 0755);
    QFile dc(DcFixture::work() + QStringLiteral("/annuaire.conf"));
    QFile conf(folder + QStringLiteral("/annuaire.conf"));
    if (!dc.open(QIODevice::ReadOnly) || !conf.open(QIODevice::WriteOnly))
        return false;
    for (const QByteArray &line : dc.readAll().split('\n')) {
        if (sambaShares || !line.startsWith("sambaconf="))
            conf.write(line + '\n');
    }
    return true;
}

// Velmar's step 3 on the DC; returns the pupils per second of the action, or a negative number.
double velmar(const QList<Pupil> &all, Scripts scripts, double *untilShared)
{
    const bool sambaShares = scripts == Scripts::SambaShares;
    QTemporaryDir dir;
    if (!dir.isValid() || !layDcProgramFolder(dir.path(), sambaShares)) {
        fail(QStringLiteral("cannot lay out a program folder"));
        return -1;
    }
    const PathResolver paths(dir.path());
    QString problem;
    std::unique_ptr<Directory> directory = openDirectory(paths, &problem);
    if (!problem.isEmpty()) {
        fail(problem);
        return -1;
    }
    // What step 1 leaves behind: the groups and the class folders; and the converted pupil file.
    auto container = directory->bind(QStringLiteral("WinNT://SERVEUR1"));
    if (!container) {
        fail(container.message());
        return -1;
    }
    QByteArray converted;
    QStringList groups = {QStringLiteral("eleves")};
    for (const Pupil &p : all) {
        if (!groups.contains(p.className)) {
            groups << p.className;
            QDir().mkpath(paths.toHost(QStringLiteral("E:\\Perso\\eleves\\") + p.className));
        }
        converted += (p.surname + u',' + p.firstNames + u',' + p.className + QStringLiteral("\r\n")).toLatin1();
    }
    for (const QString &name : std::as_const(groups)) {
        auto made = (*container)->create(QStringLiteral("Group"), name);
        const Status stored = made ? (*made)->setInfo() : made.status();
        if (!stored) {
            fail(stored.message());
            return -1;
        }
    }
    if (auto policy = directory->ensureGroupPasswordPolicy(QStringLiteral("eleves"), PupilPolicy::settings());
        !policy) {
        fail(policy.message());
        return -1;
    }
    QFile file(paths.toHost(QStringLiteral("C:\\ORVO.txt")));
    if (!file.open(QIODevice::WriteOnly) || file.write(converted) != converted.size()) {
        fail(QStringLiteral("cannot write the pupil file"));
        return -1;
    }
    file.close();

    ProcessShell processes(paths);
    IdleShell idle;
    Shell &shell = scripts == Scripts::None ? static_cast<Shell &>(idle) : processes;
    SilentPrompts prompts;
    PasswordGenerator passwords(7);
    Services services;
    services.paths = const_cast<PathResolver *>(&paths);
    services.directory = directory.get();
    services.shell = &shell;
    services.prompts = &prompts;
    services.passwords = &passwords;

    // The scripts' own messages would drown the figures.
    QuietOutput quiet;
    QElapsedTimer timer;
    timer.start();
    const int handled = BulkAccounts(services).run({QStringLiteral("SERVEUR1"), QStringLiteral("C:"),
        QStringLiteral("E:\\Perso"), QStringLiteral("C:\\ORVO.txt")});
    const qint64 actionMs = timer.elapsed();
    const bool finished = processes.waitForIdle(30 * 60 * 1000);
    const qint64 totalMs = timer.elapsed();
    quiet.restore();

    // Every pupil must be there for the figure to count: in "eleves", with a personal folder owned by the account.
    int members = 0;
    if (auto eleves = directory->bind(QStringLiteral("WinNT://SERVEUR1/eleves,group")))
        (*eleves)->members([&](const DirEntry &) { ++members; });
    int owned = 0;
    for (const Pupil &p : all) {
        struct stat info;
        const QString folder
            = paths.toHost(PupilNaming::personalFolder(QStringLiteral("E:\\Perso"), p.className, p.login));
        if (scripts == Scripts::None
            || (::stat(QFile::encodeName(folder).constData(), &info) == 0
                && (!sambaShares || info.st_uid != ::getuid())))
            ++owned;
    }
    if (handled != all.size() || members != all.size() || owned != all.size() || !finished) {
        fail(QStringLiteral("handled %1, in eleves %2, personal folders owned by their account %3 of %4%5")
                 .arg(handled)
                 .arg(members)
                 .arg(owned)
                 .arg(all.size())
                 .arg(finished ? QString() : QStringLiteral(", scripts still running")));
        return -1;
    }
    *untilShared = all.size() * 1000.0 / qMax<qint64>(totalMs, 1);
    return all.size() * 1000.0 / qMax<qint64>(actionMs, 1);
}

QByteArray base64Password(const QString &password)
{
    QByteArray bytes;
    for (const QChar c : u'"' + password + u'"') {
        bytes.append(char(c.unicode() & 0xff));
        bytes.append(char(c.unicode() >> 8));
    }
    return bytes.toBase64();
}

// The same accounts as one LDIF through ldapadd; accounts per second, or a negative number. Alone,
// each account is added with its password, one the domain's own policy takes. With stepWrites, the
// LDIF holds what the step writes: the groups and the pupils' password policy, then for each pupil
// the account without its password, its home directory and logon script in a second change, the
// two group adds, and its password, which the pupils' policy takes once it is in eleves.
double ldapadd(const QList<Pupil> &all, DcFixture &dc, bool stepWrites)
{
    auto config = dc.config();
    QTemporaryDir dir;
    PasswordGenerator passwords(7);
    QByteArray ldif;
    const QByteArray users = ",CN=Users," + config->base.toUtf8();
    QStringList groups;
    if (stepWrites) {
        groups << QStringLiteral("eleves");
        for (const Pupil &p : all) {
            if (!groups.contains(p.className))
                groups << p.className;
        }
        for (const QString &group : std::as_const(groups))
            ldif += "dn: CN=" + group.toUtf8() + users + "\nchangetype: add\nobjectClass: group\nsAMAccountName: "
                + group.toUtf8() + "\ngroupType: -2147483646\n\n";
        ldif += "dn: CN=bench-eleves,CN=Password Settings Container,CN=System," + QByteArray(DcFixture::base)
            + "\nchangetype: add\nobjectClass: msDS-PasswordSettings\nmsDS-PasswordSettingsPrecedence: 10\n"
              "msDS-PasswordReversibleEncryptionEnabled: FALSE\nmsDS-PasswordHistoryLength: 0\n"
              "msDS-PasswordComplexityEnabled: FALSE\nmsDS-MinimumPasswordLength: 6\nmsDS-MinimumPasswordAge: 0\n"
              "msDS-MaximumPasswordAge: -9223372036854775808\nmsDS-LockoutThreshold: 0\n"
              "msDS-LockoutObservationWindow: -18000000000\nmsDS-LockoutDuration: -18000000000\n"
              "msDS-PSOAppliesTo: CN=eleves"
            + users + "\n\n";
    }
    for (const Pupil &p : all) {
        const QByteArray dn = "CN=" + p.login.toUtf8() + users;
        ldif += "dn: " + dn + "\n";
        if (stepWrites)
            ldif += "changetype: add\n";
        ldif += "objectClass: user\n";
        ldif += "sAMAccountName: " + p.login.toUtf8() + "\n";
        ldif += "userPrincipalName: " + p.login.toUtf8() + "@" + config->realm.toLower().toUtf8() + "\n";
        ldif += "displayName: " + (p.surname + u' ' + p.firstNames).toUtf8() + "\n";
        ldif += "description: membre de la classe : " + p.className.toUtf8() + "\n";
        if (!stepWrites) {
            ldif += "homeDirectory: \\\\SERVEUR1\\" + p.login.toUtf8() + "$\n";
            ldif += "scriptPath: " + p.className.toUtf8() + ".bat\n";
        }
        if (!stepWrites) {
            ldif += "unicodePwd:: " + base64Password(passwords.getpass(6) + QStringLiteral("-A1")) + "\n";
            ldif += "userAccountControl: 512\n\n";
            continue;
        }
        ldif += "userAccountControl: 514\n\n";
        ldif += "dn: " + dn + "\nchangetype: modify\nreplace: homeDirectory\nhomeDirectory: \\\\SERVEUR1\\"
            + p.login.toUtf8() + "$\n-\nreplace: scriptPath\nscriptPath: " + p.className.toUtf8() + ".bat\n-\n\n";
        for (const QString &group : {p.className, QStringLiteral("eleves")})
            ldif += "dn: CN=" + group.toUtf8() + users + "\nchangetype: modify\nadd: member\nmember: " + dn + "\n-\n\n";
        ldif += "dn: " + dn + "\nchangetype: modify\nreplace: unicodePwd\nunicodePwd:: "
            + base64Password(passwords.getpass(6)) + "\n-\nreplace: userAccountControl\nuserAccountControl: 512\n-\n\n";
    }
    const QString file = dir.filePath(QStringLiteral("eleves.ldif"));
    QFile out(file);
    if (!out.open(QIODevice::WriteOnly) || out.write(ldif) != ldif.size()) {
        fail(QStringLiteral("cannot write the LDIF"));
        return -1;
    }
    out.close();

    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LDAPTLS_CACERT"), config->caFile);
    process.setProcessEnvironment(environment);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.setStandardOutputFile(QProcess::nullDevice());
    QElapsedTimer timer;
    timer.start();
    process.start(QStringLiteral("ldapadd"),
        {QStringLiteral("-x"), QStringLiteral("-H"), config->uri, QStringLiteral("-D"), config->bindDn,
            QStringLiteral("-y"), config->passwordFile, QStringLiteral("-f"), file});
    process.waitForFinished(30 * 60 * 1000);
    const qint64 ms = timer.elapsed();
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        fail(QStringLiteral("%1 failed (%2)").arg(process.program()).arg(process.exitCode()));
        return -1;
    }
    return all.size() * 1000.0 / qMax<qint64>(ms, 1);
}

// "samba-tool user create" on the DC's own database, as an administrator would type it.
double sambaTool(const QList<Pupil> &all)
{
    const QString database = DcFixture::work() + QStringLiteral("/dc/private/sam.ldb");
    const int count = int(qMin<qsizetype>(kSambaToolAccounts, all.size()));
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < count; ++i) {
        QProcess process;
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.start(QStringLiteral("samba-tool"),
            {QStringLiteral("user"), QStringLiteral("create"), all[i].login, QStringLiteral("--random-password"),
                QStringLiteral("--given-name=") + all[i].firstNames, QStringLiteral("--surname=") + all[i].surname,
                QStringLiteral("-H"), database});
        process.waitForFinished(120 * 1000);
        if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
            fail(QStringLiteral("samba-tool failed: %1").arg(QString::fromUtf8(process.readAll())));
            return -1;
        }
    }
    return count * 1000.0 / qMax<qint64>(timer.elapsed(), 1);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    const int count = arguments.size() > 1 ? arguments[1].toInt() : 500;
    if (count <= 0) {
        fail(QStringLiteral("usage: bench_samba_bulk [COUNT]"));
        return 2;
    }
    const QList<Pupil> all = pupils(count);

    DcFixture dc;
    if (Status started = dc.start(); !started) {
        fail(started.message());
        return 1;
    }
    double untilShared = 0;
    double untilListed = 0;
    double unused = 0;
    const double directoryOnly = velmar(all, Scripts::None, &unused);
    const Status first = dc.restart();
    const double fileShares = first ? velmar(all, Scripts::FileShares, &untilListed) : -1;
    const Status second = dc.restart();
    const double ours = second ? velmar(all, Scripts::SambaShares, &untilShared) : -1;
    const Status again = dc.restart();
    const double baseline = again ? ldapadd(all, dc, false) : -1;
    const Status fourth = dc.restart();
    const double steps = fourth ? ldapadd(all, dc, true) : -1;
    const Status third = dc.restart();
    const double tool = third ? sambaTool(all) : -1;
    dc.stop();
    if (directoryOnly < 0 || fileShares < 0 || ours < 0 || baseline < 0 || steps < 0 || tool < 0)
        return 1;

    const auto share = [&](double rate) { return 100.0 * rate / baseline; };
    std::printf("%d pupils on the Samba DC, per second (%% of ldapadd's rate):\n", count);
    std::printf("  ldapadd, the same accounts as one LDIF                 %6.1f        \n", baseline);
    std::printf("  ldapmodify, the step's 5 writes per pupil as one LDIF  %6.1f  (%3.0f %%)\n", steps, share(steps));
    std::printf("  samba-tool user create, %2d accounts                    %6.1f  (%3.0f %%)\n",
        int(qMin<qsizetype>(kSambaToolAccounts, all.size())), tool, share(tool));
    std::printf("  Velmar, step 3, until its final message:\n");
    std::printf("    the directory's part alone, no script started        %6.1f  (%3.0f %%, %.0f %% of ldapmodify's)\n",
        directoryOnly, share(directoryOnly), 100.0 * directoryOnly / steps);
    std::printf(
        "    perso.bat keeping shares in the folder's list        %6.1f  (%3.0f %%)\n", fileShares, share(fileShares));
    std::printf("    perso.bat keeping shares in the DC's Samba           %6.1f  (%3.0f %%)\n", ours, share(ours));
    std::printf("    ... until every personal folder is shared            %6.1f  (%3.0f %%)\n", untilShared,
        share(untilShared));
    return 0;
}
