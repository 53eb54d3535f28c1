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
// Beside each rate, the processor time the DC itself spent per pupil: the DC makes its writes one
// after the other, so a part that costs it more time than ldapadd does cannot go faster.
//
//   bench_samba_bulk [COUNT...]      (default: 500; say 500 2000 for the two sizes side by side)
#include "directory/directoryfactory.h"
#include "provisioning/bulkaccounts.h"
#include "provisioning/pupilnaming.h"
#include "provisioning/pupilpolicy.h"
#include "shell/processshell.h"
#include "support/benchfolder.h"
#include "support/benchservices.h"
#include "support/dcfixture.h"
#include "support/quietoutput.h"
#include "text/pathresolver.h"
#include "text/windowsnames.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>

#include <cstdio>

#include <fcntl.h>
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
        p.login = WindowsNames::pupilLogin(p.surname, p.firstNames, p.className);
        all.append(p);
    }
    return all;
}

void fail(const QString &what)
{
    std::fprintf(stderr, "bench_samba_bulk: %s\n", qPrintable(what));
}

// Stopped on every way out; a controller that does not stop holds its ports, so it is told.
void stop(DcFixture &dc)
{
    if (const Status stopped = dc.stop(); !stopped)
        fail(QStringLiteral("the domain controller did not stop: ") + stopped.message());
}

// From its making until restore(), the standard error of this process and of every process it starts
// goes to a file; restore() gives it back and passes on every line said there but the expected ones.
// Each pupil's perso.bat says "Le dossier ... existe déjà." by design (the action made the folder
// just before): hundreds of those would hide the one line that tells of a real failure.
class ErrorsAside
{
public:
    ErrorsAside()
    {
        std::fflush(stderr);
        const QByteArray file = QFile::encodeName(m_dir.filePath(QStringLiteral("errors.txt")));
        // Appending: the scripts write at once, and no line may land on another.
        const int fd = m_dir.isValid() ? ::open(file.constData(), O_WRONLY | O_CREAT | O_APPEND, 0600) : -1;
        if (fd < 0) {
            fail(QStringLiteral("cannot keep the scripts' errors aside: they come as they are"));
            return;
        }
        m_saved = ::dup(STDERR_FILENO);
        ::dup2(fd, STDERR_FILENO);
        ::close(fd);
    }
    ~ErrorsAside() { restore({}); }
    ErrorsAside(const ErrorsAside &) = delete;
    ErrorsAside &operator=(const ErrorsAside &) = delete;

    void restore(const QSet<QString> &expected)
    {
        if (m_saved < 0)
            return;
        std::fflush(stderr);
        ::dup2(m_saved, STDERR_FILENO);
        ::close(m_saved);
        m_saved = -1;
        QFile file(m_dir.filePath(QStringLiteral("errors.txt")));
        if (!file.open(QIODevice::ReadOnly)) {
            fail(QStringLiteral("the scripts' errors cannot be read back: ") + file.errorString());
            return;
        }
        while (!file.atEnd()) {
            const QByteArray line = file.readLine();
            if (!expected.contains(QString::fromLocal8Bit(line).trimmed()))
                std::fwrite(line.constData(), 1, size_t(line.size()), stderr);
        }
        std::fflush(stderr);
    }

private:
    QTemporaryDir m_dir;
    int m_saved = -1;
};

// The processor time the DC has spent since it started, in ms: every process of its PID namespace,
// with what the children each has reaped took. Negative when the namespace cannot be read.
double dcProcessorMs()
{
    const long ticksPerSecond = ::sysconf(_SC_CLK_TCK);
    const QStringList processes = DcFixture::processes();
    if (processes.isEmpty() || ticksPerSecond <= 0)
        return -1;
    qint64 ticks = 0;
    for (const QString &pid : processes) {
        QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
        if (!stat.open(QIODevice::ReadOnly))
            continue; // ended meanwhile: its time is in its parent's
        // After the command name, which may hold spaces: state, then utime is the 12th field.
        const QByteArray line = stat.readAll();
        const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
        if (fields.size() > 14)
            ticks += fields[11].toLongLong() + fields[12].toLongLong() + fields[13].toLongLong()
                + fields[14].toLongLong();
    }
    return ticks * 1000.0 / double(ticksPerSecond);
}

// The DC's processor time per pupil between two readings of dcProcessorMs(), or -1 when either failed.
double dcPerPupil(double before, double after, qsizetype pupils)
{
    return before >= 0 && after >= 0 ? (after - before) / double(pupils) : -1;
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
double velmar(const QList<Pupil> &all, Scripts scripts, double *untilShared, double *dcMs)
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
        auto made = (*container)->create(DirKind::Group, name);
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
    // The run is given its input directly and opens no dialog.
    BenchServices bench(paths, *directory, scripts == Scripts::None ? nullptr : &processes);

    // The scripts' own messages would drown the figures: their reports go nowhere, their errors aside.
    QuietOutput quiet;
    ErrorsAside errors;
    const double dcBefore = dcProcessorMs();
    QElapsedTimer timer;
    timer.start();
    const int handled = BulkAccounts(bench.services)
                            .run({QStringLiteral("SERVEUR1"), QStringLiteral("C:"), QStringLiteral("E:\\Perso"),
                                QStringLiteral("C:\\ORVO.txt")});
    const qint64 actionMs = timer.elapsed();
    const bool finished = processes.waitForIdle(30 * 60 * 1000);
    const qint64 totalMs = timer.elapsed();
    const double dcAfter = dcProcessorMs();
    quiet.restore();
    QSet<QString> folderThere;
    for (const Pupil &p : all)
        folderThere << QStringLiteral("Le dossier %1 existe déjà.")
                           .arg(PupilNaming::personalFolder(QStringLiteral("E:\\Perso"), p.className, p.login));
    errors.restore(folderThere);

    // Every pupil must be there for the figure to count: in "eleves", with a personal folder owned by the account.
    int members = 0;
    if (auto eleves = directory->bind(QStringLiteral("WinNT://SERVEUR1/eleves,group"))) {
        if (const Status listed = (*eleves)->members([&](const DirEntry &) { ++members; }); !listed) {
            fail(QStringLiteral("eleves not listed: ") + listed.message());
            return -1;
        }
    }
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
    *dcMs = dcPerPupil(dcBefore, dcAfter, all.size());
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
double ldapadd(const QList<Pupil> &all, DcFixture &dc, bool stepWrites, double *dcMs)
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
    const double dcBefore = dcProcessorMs();
    QElapsedTimer timer;
    timer.start();
    process.start(QStringLiteral("ldapadd"),
        {QStringLiteral("-x"), QStringLiteral("-H"), config->uri, QStringLiteral("-D"), config->bindDn,
            QStringLiteral("-y"), config->passwordFile, QStringLiteral("-f"), file});
    process.waitForFinished(30 * 60 * 1000);
    const qint64 ms = timer.elapsed();
    const double dcAfter = dcProcessorMs();
    *dcMs = dcPerPupil(dcBefore, dcAfter, all.size());
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

struct Rates
{
    double baseline = -1; // ldapadd, the accounts with their passwords
    double steps = -1; // ldapmodify, the step's writes
    double tool = -1; // samba-tool user create
    double directoryOnly = -1;
    double fileShares = -1;
    double sambaShares = -1;
    double untilShared = -1;
    // The DC's processor time per pupil, in ms, for the same parts (negative when it could not be read).
    double baselineDc = -1;
    double stepsDc = -1;
    double directoryOnlyDc = -1;
    double fileSharesDc = -1;
    double sambaSharesDc = -1;

    bool complete() const
    {
        return baseline > 0 && steps > 0 && tool > 0 && directoryOnly > 0 && fileShares > 0 && sambaShares > 0
            && untilShared > 0;
    }
};

// Every part of the comparison for COUNT pupils, each on the domain as the tarball left it.
Rates measure(int count, DcFixture &dc, bool fresh)
{
    const QList<Pupil> all = pupils(count);
    Rates rates;
    double unused = 0;
    if (Status started = fresh ? Status() : dc.restart(); !started) {
        fail(started.message());
        return rates;
    }
    rates.directoryOnly = velmar(all, Scripts::None, &unused, &rates.directoryOnlyDc);
    if (dc.restart())
        rates.fileShares = velmar(all, Scripts::FileShares, &unused, &rates.fileSharesDc);
    if (dc.restart())
        rates.sambaShares = velmar(all, Scripts::SambaShares, &rates.untilShared, &rates.sambaSharesDc);
    if (dc.restart())
        rates.baseline = ldapadd(all, dc, false, &rates.baselineDc);
    if (dc.restart())
        rates.steps = ldapadd(all, dc, true, &rates.stepsDc);
    if (dc.restart())
        rates.tool = sambaTool(all);
    return rates;
}

QString thousands(int count)
{
    return count >= 1000 ? QStringLiteral("%1,%2").arg(count / 1000).arg(count % 1000, 3, 10, QLatin1Char('0'))
                         : QString::number(count);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QList<int> counts;
    for (const QString &argument : QCoreApplication::arguments().mid(1)) {
        bool number = false;
        const int count = argument.toInt(&number);
        if (!number || count <= 0) {
            fail(QStringLiteral("usage: bench_samba_bulk [COUNT...]   (default: 500)"));
            return 2;
        }
        counts << count;
    }
    if (counts.isEmpty())
        counts << 500;

    DcFixture dc;
    if (Status started = dc.start(); !started) {
        fail(started.message());
        return 1;
    }
    QList<Rates> all;
    for (int count : std::as_const(counts)) {
        all << measure(count, dc, all.isEmpty());
        if (!all.last().complete()) {
            stop(dc);
            return 1;
        }
    }
    stop(dc);

    // A table's title and head: a column pair per size, the figure and its share.
    const auto head = [&](const char *title, const char *share) {
        std::printf("%s\n\n| What |", title);
        for (int count : std::as_const(counts))
            std::printf(" %s pupils | %s |", qPrintable(thousands(count)), share);
        std::printf("\n|---|");
        for (qsizetype i = 0; i < counts.size(); ++i)
            std::printf("---|---|");
        std::printf("\n");
    };

    // Pupils per second at each size, and as a share of ldapadd's rate at that size.
    head("Pupils per second on the Samba DC, each size on a fresh domain:", "ratio");
    const auto row = [&](const char *what, double Rates::*rate) {
        std::printf("| %s |", what);
        for (const Rates &rates : std::as_const(all))
            std::printf(" %.1f | %.0f %% |", rates.*rate, 100.0 * (rates.*rate) / rates.baseline);
        std::printf("\n");
    };
    row("ldapadd, the same accounts with passwords, as one LDIF", &Rates::baseline);
    row("ldapmodify, the step's five writes per pupil, as one LDIF", &Rates::steps);
    row("Velmar, the directory part alone", &Rates::directoryOnly);
    row("Velmar, with shares in the program folder's list", &Rates::fileShares);
    row("Velmar, with shares in the DC's Samba", &Rates::sambaShares);
    row("Velmar, until every personal folder is shared", &Rates::untilShared);
    row("samba-tool user create, 20 accounts, for comparison", &Rates::tool);

    // The DC makes its writes one after the other, on one processor: a part that costs it more time per
    // pupil than ldapadd does cannot go faster than ldapadd, whatever the client does.
    head("\nThe DC's own processor time per pupil, in ms, and ldapadd's as a share of it (the most a rate "
         "can reach against ldapadd's while the DC makes one write at a time):",
        "ldapadd's / this");
    const auto dcRow = [&](const char *what, double Rates::*ms) {
        std::printf("| %s |", what);
        for (const Rates &rates : std::as_const(all)) {
            if (rates.*ms > 0 && rates.baselineDc > 0)
                std::printf(" %.2f | %.0f %% |", rates.*ms, 100.0 * rates.baselineDc / (rates.*ms));
            else
                std::printf(" ? | ? |");
        }
        std::printf("\n");
    };
    dcRow("ldapadd, the same accounts with passwords, as one LDIF", &Rates::baselineDc);
    dcRow("ldapmodify, the step's five writes per pupil, as one LDIF", &Rates::stepsDc);
    dcRow("Velmar, the directory part alone", &Rates::directoryOnlyDc);
    dcRow("Velmar, with shares in the program folder's list", &Rates::fileSharesDc);
    dcRow("Velmar, until every personal folder is shared in the DC's Samba", &Rates::sambaSharesDc);

    // How much each rate falls from the smallest size to the largest.
    if (counts.size() > 1) {
        const Rates &first = all.first();
        const Rates &last = all.last();
        const auto fall = [](double from, double to) { return 100.0 * (from - to) / from; };
        std::printf("\nFrom %s to %s pupils, the rate falls by: ldapadd %.0f %%, ldapmodify %.0f %%, "
                    "Velmar's directory part %.0f %%, Velmar until every personal folder is shared %.0f %%.\n",
            qPrintable(thousands(counts.first())), qPrintable(thousands(counts.last())),
            fall(first.baseline, last.baseline), fall(first.steps, last.steps),
            fall(first.directoryOnly, last.directoryOnly), fall(first.untilShared, last.untilShared));
    }
    return 0;
}
