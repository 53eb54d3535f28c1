// The check of the converted pupil file before step 3 against the throwaway Samba domain controller,
// next to ldapsearch listing the same names, measured turn and turn about in the same run:
//
//   1. ldapsearch, as an administrator would type it: the account name of every account and group
//      below the domain's base, in pages, over TLS, as a process of its own;
//   2. the check with a directory opened for it: connection, TLS and bind included, as when the
//      dialog's "Vérifier" is the first thing Velmar asks of the domain;
//   3. the check on a directory already connected, as after any other action.
//
// The domain holds ACCOUNTS accounts, made at once with ldapadd, half of whose names the pupil file
// gives again, and the groups of the pupils' classes.
//
//   bench_samba_pupilcheck [ACCOUNTS]      (default: 2000; the pupil file holds as many pupils)
#include "directory/ldap/ldapdirectory.h"
#include "ldaptools.h"
#include "provisioning/pupilcheck.h"
#include "support/benchfolder.h"
#include "support/dcfixture.h"
#include "text/pathresolver.h"
#include "text/windowsnames.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>

namespace {

constexpr int kPupilsPerClass = 30;
constexpr int kRuns = 7;

void fail(const QString &what)
{
    std::fprintf(stderr, "bench_samba_pupilcheck: %s\n", qPrintable(what));
}

// Stopped on every way out; a controller that does not stop holds its ports, so it is told.
void stop(DcFixture &dc)
{
    if (const Status stopped = dc.stop(); !stopped)
        fail(QStringLiteral("the domain controller did not stop: ") + stopped.message());
}

QString className(int pupil)
{
    return QStringLiteral("C%1").arg(pupil / kPupilsPerClass);
}

// Runs ldapadd or ldapsearch against the DC, its output dropped; false, and said, when it fails.
bool ldapTool(const LdapConfig &config, const QString &program, const QStringList &arguments)
{
    const Status run = runLdapTool(config, program, arguments);
    if (!run)
        fail(run.message());
    return run.ok();
}

// The accounts (disabled, without a password) and the class groups, as one LDIF.
bool fillDomain(const LdapConfig &config, int accounts, const QString &folder)
{
    const QByteArray users = ",CN=Users," + config.base.toUtf8();
    QByteArray ldif;
    for (int i = 0; i < accounts; i += kPupilsPerClass)
        ldif += "dn: CN=" + className(i).toUtf8() + users
            + "\nobjectClass: group\nsAMAccountName: " + className(i).toUtf8() + "\ngroupType: -2147483646\n\n";
    for (int i = 0; i < accounts; ++i) {
        // Every other account is a login of this year's file.
        const QString name = i % 2 == 0
            ? WindowsNames::pupilLogin(QStringLiteral("NOM%1").arg(i / 2), QStringLiteral("Prenom"), className(i / 2))
            : QStringLiteral("ANCIEN%1").arg(i);
        ldif += "dn: CN=" + name.toUtf8() + users + "\nobjectClass: user\nsAMAccountName: " + name.toUtf8()
            + "\nuserAccountControl: 514\n\n";
    }
    const QString file = folder + QStringLiteral("/comptes.ldif");
    QFile out(file);
    if (!out.open(QIODevice::WriteOnly) || out.write(ldif) != ldif.size())
        return false;
    out.close();
    return ldapTool(config, QStringLiteral("ldapadd"), {QStringLiteral("-f"), file});
}

// The converted pupil file and the class folders step 1 would have made.
bool writeSchool(const PathResolver &paths, int pupils)
{
    QByteArray file;
    for (int i = 0; i < pupils; ++i) {
        if (i % kPupilsPerClass == 0)
            QDir().mkpath(paths.toHost(QStringLiteral("E:\\Perso\\eleves\\") + className(i)));
        file += (QStringLiteral("NOM%1,Prenom,").arg(i) + className(i)).toLatin1() + "\r\n";
    }
    QFile out(paths.toHost(QStringLiteral("C:\\ORVO.txt")));
    return out.open(QIODevice::WriteOnly) && out.write(file) == file.size();
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    const int accounts = arguments.size() > 1 ? arguments[1].toInt() : 2000;
    if (accounts <= 0) {
        fail(QStringLiteral("usage: bench_samba_pupilcheck [ACCOUNTS]"));
        return 2;
    }
    const int pupils = accounts;

    QTemporaryDir dir;
    if (!dir.isValid() || !layProgramFolder(dir.path(), {QStringLiteral("C"), QStringLiteral("E")})) {
        fail(QStringLiteral("cannot lay out a program folder"));
        return 1;
    }
    const PathResolver paths(dir.path());
    DcFixture dc;
    if (Status started = dc.start(); !started) {
        fail(started.message());
        return 1;
    }
    const auto config = dc.config();
    if (!config || !fillDomain(*config, accounts, dir.path()) || !writeSchool(paths, pupils)) {
        fail(config ? QStringLiteral("cannot fill the domain") : config.message());
        stop(dc);
        return 1;
    }

    const PupilCheck::Input input {
        QStringLiteral("SERVEUR1"), QStringLiteral("E:\\Perso"), QStringLiteral("C:\\ORVO.txt")};
    const auto checkOn = [&](Directory &directory) {
        auto rows = PupilCheck(directory, paths).run(input);
        if (!rows) {
            fail(rows.message());
            return false;
        }
        const auto taken = std::count_if(rows->cbegin(), rows->cend(),
            [](const PupilCheckRow &row) { return row.problems == QStringList {PupilCheck::accountExists()}; });
        return rows->size() == pupils && taken == (accounts + 1) / 2;
    };
    auto connected = LdapDirectory::open(*config);
    if (!connected || !checkOn(**connected)) {
        fail(QStringLiteral("the check did not find every account"));
        stop(dc);
        return 1;
    }

    const QStringList search = {QStringLiteral("-LLL"), QStringLiteral("-b"), config->base, QStringLiteral("-E"),
        QStringLiteral("pr=1000/noprompt"),
        QStringLiteral("(|(&(objectCategory=person)(objectClass=user))(objectCategory=group))"),
        QStringLiteral("sAMAccountName")};
    QList<double> ldapsearch, fresh, warm;
    bool ok = true;
    const auto time = [&](QList<double> &into, const std::function<bool()> &run) {
        QElapsedTimer timer;
        timer.start();
        ok = ok && run();
        into << timer.nsecsElapsed() / 1e6;
    };
    // Turn and turn about, so that the machine's moods fall on all three alike.
    for (int i = 0; i < kRuns && ok; ++i) {
        time(ldapsearch, [&] { return ldapTool(*config, QStringLiteral("ldapsearch"), search); });
        time(fresh, [&] {
            auto opened = LdapDirectory::open(*config);
            return opened && checkOn(**opened);
        });
        time(warm, [&] { return checkOn(**connected); });
    }
    stop(dc);
    if (!ok) {
        fail(QStringLiteral("a run failed"));
        return 1;
    }
    const auto median = [](QList<double> times) {
        std::sort(times.begin(), times.end());
        return times[times.size() / 2];
    };
    const double baseline = median(ldapsearch);
    std::printf(
        "%d pupils, %d accounts on the Samba DC; median of %d runs (ratio to ldapsearch):\n", pupils, accounts, kRuns);
    std::printf("  ldapsearch of every account and group name         %8.1f ms  (%5.2f)\n", baseline, 1.0);
    std::printf("  the check, connection and bind included            %8.1f ms  (%5.2f)\n", median(fresh),
        median(fresh) / baseline);
    std::printf("  the check, on a directory already connected        %8.1f ms  (%5.2f)\n", median(warm),
        median(warm) / baseline);
    return 0;
}
