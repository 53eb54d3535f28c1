// Converts a generated export of 200,000 pupils over 2,000 classes and sets its time beside the time
// of copying the same export file, measured in the same run; prints the peak memory of the process.
//   bench_converter [pupils] [classes] [rounds]

#include "converter/converter.h"
#include "text/pathresolver.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>

namespace {

class QuietObserver : public ConversionObserver
{
public:
    void counted(qint64) override { }
    void progressed(qint64) override { }
    void analysed(const QString &) override { }
    void stillWorking() override { }
};

void write(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size()) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        std::exit(1);
    }
}

// CPU time of the process (user and system), in milliseconds: steadier than the wall clock on a
// machine shared with other work.
double cpuMs()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3
        + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
}

double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int pupils = args.size() > 1 ? args[1].toInt() : 200000;
    const int classes = args.size() > 2 ? args[2].toInt() : 2000;
    const int rounds = args.size() > 3 ? args[3].toInt() : 5;

    QTemporaryDir folder;
    const QString root = folder.path();
    QDir(root).mkpath(QStringLiteral("c"));
    QDir(root).mkpath(QStringLiteral("d"));
    write(root + QStringLiteral("/lecteurs.txt"), "C:," + root.toUtf8() + "/c\r\nD:," + root.toUtf8() + "/d\r\n");
    const PathResolver paths(root);

    // Pupils in random classes, one in fifty without a class; names with accents as the export has.
    QRandomGenerator random(2024);
    QByteArray table;
    for (int c = 0; c < classes; ++c)
        table += "DIV" + QByteArray::number(c) + ",CLASSE" + QByteArray::number(c) + "\r\n";
    QByteArray exportBytes;
    for (int p = 0; p < pupils; ++p) {
        const quint32 draw = random.generate();
        const QByteArray code = draw % 50 == 0 ? QByteArray() : "DIV" + QByteArray::number(draw % classes);
        exportBytes += "NOM\xC9L\xC8VE" + QByteArray::number(p) + ",Pr\xE9nom Compos\xE9 "
            + QByteArray::number(draw % 97) + "," + code + "\r\n";
    }
    write(root + QStringLiteral("/c/div.txt"), table);
    write(root + QStringLiteral("/c/orvoexcel.txt"), exportBytes);

    ConversionRequest request;
    request.exportFile = QStringLiteral("c:\\orvoexcel.txt");
    request.convertedFile = QStringLiteral("c:\\orvo.txt");
    request.errorFile = QStringLiteral("c:\\erreurs.txt");
    request.classTable = QStringLiteral("c:\\div.txt");
    request.workFolder = QStringLiteral("d:");

    QList<double> copyMs;
    QList<double> convertMs;
    QList<double> copyCpuMs;
    QList<double> convertCpuMs;
    QuietObserver observer;
    for (int round = 0; round < rounds; ++round) {
        QFile::remove(root + QStringLiteral("/c/copie.txt"));
        QElapsedTimer timer;
        double cpu = cpuMs();
        timer.start();
        if (!QFile::copy(root + QStringLiteral("/c/orvoexcel.txt"), root + QStringLiteral("/c/copie.txt")))
            return 1;
        copyMs.append(timer.nsecsElapsed() / 1e6);
        copyCpuMs.append(cpuMs() - cpu);

        QFile::remove(root + QStringLiteral("/c/orvo.txt"));
        cpu = cpuMs();
        timer.start();
        Converter converter(paths);
        const auto report = converter.run(request, observer);
        convertMs.append(timer.nsecsElapsed() / 1e6);
        convertCpuMs.append(cpuMs() - cpu);
        if (!report) {
            std::fprintf(stderr, "%s\n", qPrintable(report.message()));
            return 1;
        }
    }

    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    const double copy = median(copyMs);
    const double convert = median(convertMs);
    std::printf("export: %d pupils, %d classes, %.1f MB\n", pupils, classes, exportBytes.size() / 1e6);
    const double copyCpu = median(copyCpuMs);
    const double convertCpu = median(convertCpuMs);
    std::printf("medians of %d rounds               wall clock    CPU time\n", rounds);
    std::printf("copy of the export:                %8.1f ms %8.1f ms\n", copy, copyCpu);
    std::printf("conversion:                        %8.1f ms %8.1f ms\n", convert, convertCpu);
    std::printf("ratio conversion / copy:           %8.1f    %8.1f\n", convert / copy, convertCpu / copyCpu);
    std::printf("peak memory (max RSS):            %.1f MB\n", usage.ru_maxrss / 1024.0);
    return 0;
}
