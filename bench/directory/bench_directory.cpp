// Accounts created per second in the embedded store, the way bulk pupil creation makes them: a
// user with its full name, description, password, home directory and logon script, then added to
// its class group and to "eleves". The rate is printed for the whole run and for its first and last
// thousand accounts, which must not differ much however big the store grows.
//
// bench_directory [--sync] [--iterations N] [COUNT...]   (counts default to 1000 and 10000)

#include "directory/sqlite/sqlitedirectory.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <cstdio>

#include <sys/resource.h>

namespace {

const QString P = QStringLiteral("WinNT://SERVEUR1");

// Seconds of processor time used by this process: on a machine shared with other work the wall-clock
// rate says more about the neighbours than about the store.
double cpuSeconds()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

bool check(const Status &status)
{
    if (!status.ok())
        std::fprintf(stderr, "%s\n", qPrintable(status.message()));
    return status.ok();
}

bool makeGroup(Directory &directory, const QString &name)
{
    auto parent = directory.bind(P);
    auto group = (*parent)->create(DirKind::Group, name);
    return check(group.status()) && check((*group)->put(DirProperty::GroupType, globalGroupType))
        && check((*group)->setInfo());
}

bool makePupil(Directory &directory, int serial)
{
    const QString group = QStringLiteral("C%1").arg(serial / 30, 3, 10, QLatin1Char('0'));
    const QString login = group + QStringLiteral("eleve%1").arg(serial, 6, 10, QLatin1Char('0'));
    auto parent = directory.bind(P);
    if (!check(parent.status()))
        return false;
    auto user = (*parent)->create(DirKind::User, login);
    if (!check(user.status()))
        return false;
    DirObject &u = **user;
    if (!check(u.put(DirProperty::FullName, QStringLiteral("ÉLÈVE Numéro %1").arg(serial)))
        || !check(u.put(DirProperty::Description, QStringLiteral("Élève de ") + group))
        || !check(u.setPassword(QStringLiteral("k7x2pq")))
        || !check(u.put(DirProperty::HomeDirectory, QStringLiteral("\\\\SERVEUR1\\") + login + u'$'))
        || !check(u.put(DirProperty::LoginScript, group + QStringLiteral(".bat"))) || !check(u.setInfo()))
        return false;
    for (const QString &name : {group, QStringLiteral("eleves")}) {
        auto bound = directory.bind(P + u'/' + name + QStringLiteral(",group"));
        if (!check(bound.status()) || !check((*bound)->add(P + u'/' + login)) || !check((*bound)->setInfo()))
            return false;
    }
    return true;
}

bool runOnce(int count, const SqliteDirectory::Options &options)
{
    QTemporaryDir folder;
    auto opened = SqliteDirectory::open(folder.filePath(QStringLiteral("annuaire.db")), options);
    if (!check(opened.status()))
        return false;
    Directory &directory = **opened;
    if (!makeGroup(directory, QStringLiteral("eleves")))
        return false;
    for (int g = 0; g <= count / 30; ++g) {
        if (!makeGroup(directory, QStringLiteral("C%1").arg(g, 3, 10, QLatin1Char('0'))))
            return false;
    }

    const int slice = qMin(1000, count);
    QElapsedTimer total;
    QElapsedTimer part;
    total.start();
    const double cpuStart = cpuSeconds();
    double partCpu = cpuStart;
    double firstRate = 0;
    double firstCpuRate = 0;
    for (int i = 0; i < count; ++i) {
        if (i == 0 || i == count - slice) {
            part.restart();
            partCpu = cpuSeconds();
        }
        if (!makePupil(directory, i))
            return false;
        if (i == slice - 1) {
            firstRate = slice * 1000.0 / qMax<qint64>(1, part.elapsed());
            firstCpuRate = slice / qMax(1e-6, cpuSeconds() - partCpu);
        }
    }
    const double lastRate = slice * 1000.0 / qMax<qint64>(1, part.elapsed());
    const double lastCpuRate = slice / qMax(1e-6, cpuSeconds() - partCpu);
    const double rate = count * 1000.0 / qMax<qint64>(1, total.elapsed());
    const double cpuRate = count / qMax(1e-6, cpuSeconds() - cpuStart);
    std::printf("%6d comptes : %5.0f comptes/s (premiers %d : %.0f/s, derniers %d : %.0f/s) ; "
                "par seconde de processeur : %.0f (premiers : %.0f, derniers : %.0f)\n",
        count, rate, slice, firstRate, slice, lastRate, cpuRate, firstCpuRate, lastCpuRate);
    std::fflush(stdout);
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    SqliteDirectory::Options options;
    QList<int> counts;
    const QStringList arguments = QCoreApplication::arguments().mid(1);
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        if (arguments[i] == QStringLiteral("--sync"))
            options.syncEveryCommit = true;
        else if (arguments[i] == QStringLiteral("--iterations") && i + 1 < arguments.size())
            options.passwordIterations = arguments[++i].toInt();
        else
            counts.append(arguments[i].toInt());
    }
    if (counts.isEmpty())
        counts = {1000, 10000};
    std::printf("Création de comptes dans annuaire.db (PBKDF2 %d itérations, écriture %s)\n",
        options.passwordIterations, options.syncEveryCommit ? "synchrone à chaque changement" : "normale");
    for (int count : std::as_const(counts)) {
        if (count <= 0 || !runOnce(count, options))
            return 1;
    }
    return 0;
}
