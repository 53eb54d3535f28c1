// The groups panel's "Rapatrier Groupes et Utilisateurs actuels" against the throwaway Samba domain
// controller, next to ldapsearch reading the same entries, measured turn and turn about in the same
// run on a directory already connected:
//
//   1. ldapsearch, as an administrator would type it: every account and group of the unit with the
//      names and types the panel shows, in pages, over TLS, as a process of its own;
//   2. the panel's refresh: the global groups listed, the accounts counted.
//
// The unit holds ACCOUNTS accounts and GROUPS global groups, made at once with ldapadd; each
// account is a member of one group.
//
//   bench_samba_refresh [ACCOUNTS GROUPS]      (defaults: 2000 70)
#include "admin/groupspanel.h"
#include "directory/ldap/ldapdirectory.h"
#include "ldaptools.h"
#include "support/benchservices.h"
#include "support/dcfixture.h"
#include "text/pathresolver.h"
#include "ui/formbuilder.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>

namespace {

constexpr int kRuns = 7;

void fail(const QString &what)
{
    std::fprintf(stderr, "bench_samba_refresh: %s\n", qPrintable(what));
}

// Stopped on every way out; a controller that does not stop holds its ports, so it is told.
void stop(DcFixture &dc)
{
    if (const Status stopped = dc.stop(); !stopped)
        fail(QStringLiteral("the domain controller did not stop: ") + stopped.message());
}

// Runs ldapadd or ldapsearch against the DC, its output dropped; false, and said, when it fails.
bool ldapTool(const LdapConfig &config, const QString &program, const QStringList &arguments)
{
    const Status run = runLdapTool(config, program, arguments);
    if (!run)
        fail(run.message());
    return run.ok();
}

QByteArray groupName(int i)
{
    return "G" + QByteArray::number(i);
}

// The accounts (disabled, without a password), then the global groups with their members, as one LDIF.
bool fillUnit(const LdapConfig &config, const QString &unit, int accounts, int groups, const QString &folder)
{
    const QByteArray users = ",CN=Users," + unit.toUtf8();
    QByteArray ldif;
    for (int i = 0; i < accounts; ++i) {
        const QByteArray name = "eleve" + QByteArray::number(i);
        ldif += "dn: CN=" + name + users + "\nobjectClass: user\nsAMAccountName: " + name
            + "\nuserAccountControl: 514\n\n";
    }
    for (int g = 0; g < groups; ++g) {
        ldif += "dn: CN=" + groupName(g) + users + "\nobjectClass: group\nsAMAccountName: " + groupName(g)
            + "\ngroupType: -2147483646\n";
        for (int i = g; i < accounts; i += groups)
            ldif += "member: CN=eleve" + QByteArray::number(i) + users + '\n';
        ldif += '\n';
    }
    const QString file = folder + QStringLiteral("/unite.ldif");
    QFile out(file);
    if (!out.open(QIODevice::WriteOnly) || out.write(ldif) != ldif.size())
        return false;
    out.close();
    return ldapTool(config, QStringLiteral("ldapadd"), {QStringLiteral("-f"), file});
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    const int accounts = arguments.size() > 2 ? arguments[1].toInt() : 2000;
    const int groups = arguments.size() > 2 ? arguments[2].toInt() : 70;
    if (accounts <= 0 || groups <= 0) {
        fail(QStringLiteral("usage: bench_samba_refresh [ACCOUNTS GROUPS]"));
        return 2;
    }

    QTemporaryDir dir;
    DcFixture dc;
    if (Status started = dc.start(); !started) {
        fail(started.message());
        return 1;
    }
    auto unit = dc.freshUnit(QStringLiteral("Banc"));
    auto config = unit ? dc.config(*unit) : Result<LdapConfig>::failure(unit.message());
    if (!config || !fillUnit(*config, *unit, accounts, groups, dir.path())) {
        fail(config ? QStringLiteral("cannot fill the unit") : config.message());
        stop(dc);
        return 1;
    }
    auto connected = LdapDirectory::open(*config);
    if (!connected) {
        fail(connected.message());
        stop(dc);
        return 1;
    }

    // The panel's refresh reads no program file, starts no line and draws no password.
    const PathResolver paths(dir.path());
    BenchServices bench(paths, **connected);
    QWidget host;
    FormBuilder form(&host);
    GroupsPanel panel(form, bench.services, &host);
    const QString expected = QStringLiteral("Utilisateurs : ") + QString::number(accounts);
    const auto refresh = [&] {
        panel.refresh();
        return panel.grp->count() == groups && panel.lblUsers->text() == expected;
    };
    if (!refresh()) {
        fail(QStringLiteral("the panel listed %1 groups and \"%2\"")
                 .arg(panel.grp->count())
                 .arg(panel.lblUsers->text()));
        stop(dc);
        return 1;
    }

    const QStringList search = {QStringLiteral("-LLL"), QStringLiteral("-b"), *unit, QStringLiteral("-E"),
        QStringLiteral("pr=1000/noprompt"), QStringLiteral("(|(objectClass=user)(objectClass=group))"),
        QStringLiteral("sAMAccountName"), QStringLiteral("objectClass"), QStringLiteral("groupType")};
    QList<double> ldapsearch, refreshed;
    bool ok = true;
    const auto time = [&](QList<double> &into, const std::function<bool()> &run) {
        QElapsedTimer timer;
        timer.start();
        ok = ok && run();
        into << timer.nsecsElapsed() / 1e6;
    };
    // Turn and turn about, so that the machine's moods fall on both alike.
    for (int i = 0; i < kRuns && ok; ++i) {
        time(ldapsearch, [&] { return ldapTool(*config, QStringLiteral("ldapsearch"), search); });
        time(refreshed, refresh);
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
    std::printf("%d accounts and %d groups on the Samba DC; median of %d runs (ratio to ldapsearch):\n", accounts,
        groups, kRuns);
    std::printf("  ldapsearch of every account and group              %8.1f ms  (%5.2f)\n", baseline, 1.0);
    std::printf("  the groups panel's refresh, directory connected    %8.1f ms  (%5.2f)\n", median(refreshed),
        median(refreshed) / baseline);
    return 0;
}
