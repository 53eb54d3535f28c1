// How long the groups panel takes to fetch its snapshot ("Rapatrier Groupes et Utilisateurs
// actuels") from an embedded store the size of a large school: 30,000 accounts and 1,500 global
// groups, each account a member of one group. Also times the listing of one group's members and the
// details of one member, which walk the same store. Prints the times and the peak memory.
//
// bench_refresh [ACCOUNTS GROUPS]   (defaults: 30000 1500)

#include "admin/groupspanel.h"
#include "directory/directoryfactory.h"
#include "support/benchservices.h"
#include "text/pathresolver.h"
#include "ui/formbuilder.h"
#include "ui/prompts.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QTemporaryDir>

#include <sys/resource.h>

#include <cstdio>

namespace {

const QString P = QStringLiteral("WinNT://SERVEUR1");

bool check(const Status &status)
{
    if (!status.ok())
        std::fprintf(stderr, "%s\n", qPrintable(status.message()));
    return status.ok();
}

QString groupName(int i)
{
    return QStringLiteral("G%1").arg(i, 4, 10, QLatin1Char('0'));
}

bool populate(Directory &directory, int accounts, int groups)
{
    auto container = directory.bind(P);
    if (!check(container.status()))
        return false;
    for (int i = 0; i < groups; ++i) {
        auto group = (*container)->create(DirKind::Group, groupName(i));
        if (!check(group.status()) || !check((*group)->put(DirProperty::GroupType, globalGroupType))
            || !check((*group)->setInfo()))
            return false;
    }
    for (int i = 0; i < accounts; ++i) {
        const QString login = QStringLiteral("eleve%1").arg(i, 6, 10, QLatin1Char('0'));
        auto user = (*container)->create(DirKind::User, login);
        if (!check(user.status()) || !check((*user)->put(DirProperty::FullName, login)) || !check((*user)->setInfo()))
            return false;
        auto group = directory.bind(P + u'/' + groupName(i % groups) + QStringLiteral(",group"));
        if (!check(group.status()) || !check((*group)->add(P + u'/' + login)) || !check((*group)->setInfo()))
            return false;
    }
    return true;
}

long peakKilobytes()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int accounts = argc > 2 ? QString::fromLocal8Bit(argv[1]).toInt() : 30000;
    const int groups = argc > 2 ? QString::fromLocal8Bit(argv[2]).toInt() : 1500;
    if (accounts <= 0 || groups <= 0) {
        std::fprintf(stderr, "usage: bench_refresh [ACCOUNTS GROUPS]\n");
        return 2;
    }

    QTemporaryDir folder;
    PathResolver paths(folder.path());
    QString problem;
    auto directory = openDirectory(paths, &problem);
    if (!problem.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(problem));
        return 1;
    }
    QElapsedTimer clock;
    clock.start();
    if (!populate(*directory, accounts, groups))
        return 1;
    std::printf("store filled: %d accounts, %d groups in %.1f s\n", accounts, groups, clock.elapsed() / 1000.0);
    const long peakBefore = peakKilobytes();

    // The panel's refresh starts no line and draws no password.
    BenchServices bench(paths, *directory);
    QWidget host;
    FormBuilder form(&host);
    GroupsPanel panel(form, bench.services, &host);
    bench.mainValues.groups = panel.grp;

    for (int round = 1; round <= 3; ++round) {
        clock.restart();
        panel.refresh();
        const double ms = clock.nsecsElapsed() / 1e6;
        std::printf("refresh %d: %.1f ms, %d groups listed, %s\n", round, ms, panel.grp->count(),
            qPrintable(panel.lblUsers->text()));
    }

    clock.restart();
    panel.grp->setCurrentRow(panel.grp->count() / 2);
    std::printf("choose a group: %.1f ms, %d members listed\n", clock.nsecsElapsed() / 1e6, panel.util->count());
    panel.util->setCurrentRow(0);
    clock.restart();
    panel.showDetails();
    std::printf("details: %.1f ms\n", clock.nsecsElapsed() / 1e6);
    if (!bench.prompts.last.isEmpty())
        std::printf("  %s\n", qPrintable(bench.prompts.last.replace(u'\r', QStringLiteral(" | "))));

    std::printf("peak memory: %ld KiB after filling the store, %ld KiB after the panel's actions\n", peakBefore,
        peakKilobytes());
    return 0;
}
