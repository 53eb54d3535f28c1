// The check of the converted pupil file before step 3, on a school's worth of pupils against an
// embedded store that holds last year's accounts, next to what its parts cost alone, in one run:
//
//   1. reading the pupil file with step 3's own reader, nothing else;
//   2. listing the store's accounts and groups once, nothing else;
//   3. the check itself (the file, the listing and every rule);
//   4. the dialog's "Vérifier", offscreen: the check and its table.
//
//   bench_pupilcheck [PUPILS] [ACCOUNTS]      (default: 5000 5000)
//
// Each figure is the median of several runs. Half the pupils have a login the store holds already,
// so that the rows carry problems as a real file's would. The aim is the check under one second.
#include "directory/directoryfactory.h"
#include "program/mainvalues.h"
#include "provisioning/pupilcheck.h"
#include "provisioning/pupilfile.h"
#include "provisioning/verifeleves.h"
#include "support/benchfolder.h"
#include "support/benchservices.h"
#include "text/pathresolver.h"
#include "text/windowsnames.h"
#include "ui/formbuilder.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>

namespace {

constexpr int kPupilsPerClass = 30;
constexpr int kRuns = 7;

class BenchMain : public MainValues
{
public:
    QString domainName() const override { return QStringLiteral("ECOLE"); }
    QString serverName() const override { return QStringLiteral("SERVEUR1"); }
    QString systemVolume() const override { return QStringLiteral("C:"); }
    QString publicFolder() const override { return QStringLiteral("E:\\Public"); }
    QString subjectsFolder() const override { return QStringLiteral("E:\\Matieres"); }
    QString homeRoot() const override { return QStringLiteral("E:\\Perso"); }
    QString pupilFile() const override { return QStringLiteral("C:\\ORVO.txt"); }
    QString chosenGroup() const override { return {}; }
};

QString className(int pupil)
{
    return QStringLiteral("C%1").arg(pupil / kPupilsPerClass);
}

// Step 1's groups and class folders for this year's pupils; last year's accounts, half of whose
// logins come back this year; and the converted pupil file.
bool prepare(const PathResolver &paths, Directory &directory, int pupils, int accounts)
{
    auto container = directory.bind(QStringLiteral("WinNT://SERVEUR1"));
    if (!container)
        return false;
    auto make = [&](DirKind kind, const QString &name) {
        auto made = (*container)->create(kind, name);
        return made && (*made)->setInfo();
    };
    if (!make(DirKind::Group, QStringLiteral("eleves")))
        return false;
    for (int i = 0; i < accounts; ++i) {
        // Every other account is a login of this year's file.
        const QString login = i % 2 == 0 && i / 2 < pupils
            ? WindowsNames::pupilLogin(QStringLiteral("NOM%1").arg(i / 2), QStringLiteral("Prenom"), className(i / 2))
            : QStringLiteral("ANCIEN%1").arg(i);
        if (!make(DirKind::User, login))
            return false;
    }
    QByteArray file;
    for (int i = 0; i < pupils; ++i) {
        if (i % kPupilsPerClass == 0) {
            if (!make(DirKind::Group, className(i)))
                return false;
            QDir().mkpath(paths.toHost(QStringLiteral("E:\\Perso\\eleves\\") + className(i)));
        }
        file += (QStringLiteral("NOM%1,Prenom,").arg(i) + className(i)).toLatin1() + "\r\n";
    }
    QFile out(paths.toHost(QStringLiteral("C:\\ORVO.txt")));
    return out.open(QIODevice::WriteOnly) && out.write(file) == file.size();
}

// The median time of kRuns runs, in milliseconds; negative when a run failed.
double median(const std::function<bool()> &run)
{
    QList<double> times;
    for (int i = 0; i < kRuns; ++i) {
        QElapsedTimer timer;
        timer.start();
        if (!run())
            return -1;
        times << timer.nsecsElapsed() / 1e6;
    }
    std::sort(times.begin(), times.end());
    return times[kRuns / 2];
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    useFormFont();
    const QStringList arguments = QCoreApplication::arguments();
    const int pupils = arguments.size() > 1 ? arguments[1].toInt() : 5000;
    const int accounts = arguments.size() > 2 ? arguments[2].toInt() : 5000;
    if (pupils <= 0 || accounts < 0) {
        std::fprintf(stderr, "usage: bench_pupilcheck [PUPILS] [ACCOUNTS]\n");
        return 2;
    }

    QTemporaryDir dir;
    if (!dir.isValid() || !layProgramFolder(dir.path(), {QStringLiteral("C"), QStringLiteral("E")})) {
        std::fprintf(stderr, "bench_pupilcheck: cannot lay out a program folder\n");
        return 1;
    }
    PathResolver paths(dir.path());
    QString problem;
    std::unique_ptr<Directory> directory = openDirectory(paths, &problem);
    if (!problem.isEmpty() || !prepare(paths, *directory, pupils, accounts)) {
        std::fprintf(stderr, "bench_pupilcheck: cannot prepare the store %s\n", qPrintable(problem));
        return 1;
    }

    const PupilCheck::Input input {
        QStringLiteral("SERVEUR1"), QStringLiteral("E:\\Perso"), QStringLiteral("C:\\ORVO.txt")};
    int withProblems = 0;
    const double reading = median([&] {
        auto file = PupilFile::open(input.pupilFile, paths);
        int records = 0;
        while (file && !file->atEnd()) {
            file->next();
            ++records;
        }
        return records == pupils;
    });
    const double listing = median([&] {
        auto container = directory->bind(QStringLiteral("WinNT://SERVEUR1"));
        int names = 0;
        return container && (*container)->enumerate({}, [&](const DirEntry &) { ++names; }) && names > accounts;
    });
    const double checking = median([&] {
        auto rows = PupilCheck(*directory, paths).run(input);
        if (!rows || rows->size() != pupils)
            return false;
        withProblems = int(std::count_if(rows->cbegin(), rows->cend(), [](const auto &row) { return !row.clean(); }));
        return true;
    });

    BenchMain main;
    // The check starts no line, draws no password and opens no dialog.
    BenchServices bench(paths, *directory, nullptr, &main);
    VerifEleves dialog(bench.services);
    dialog.show();
    const double clicking = median([&] {
        dialog.cmdVerifier->click();
        return dialog.rows().size() == pupils;
    });
    if (reading < 0 || listing < 0 || checking < 0 || clicking < 0 || withProblems != qMin(pupils, accounts / 2)) {
        std::fprintf(stderr, "bench_pupilcheck: a run did not give every row (%d with a problem)\n", withProblems);
        return 1;
    }

    std::printf("%d pupils, %d accounts in the embedded store; median of %d runs (ratio to the listing alone):\n",
        pupils, accounts, kRuns);
    std::printf("  reading the pupil file alone              %8.1f ms  (%5.2f)\n", reading, reading / listing);
    std::printf("  listing the store's names once            %8.1f ms  (%5.2f)\n", listing, 1.0);
    std::printf("  the check                                 %8.1f ms  (%5.2f)\n", checking, checking / listing);
    std::printf("  \"Vérifier\" in the dialog, table included   %8.1f ms  (%5.2f)\n", clicking, clicking / listing);
    std::printf("  the check against its aim of 1 s: %.2f of it; the dialog's click: %.2f of it\n", checking / 1000.0,
        clicking / 1000.0);
    return 0;
}
