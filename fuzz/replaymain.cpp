// The fuzz targets' main in a build without libFuzzer: runs every file named, or every file of every
// folder named, once through the target's entry function, so that the normal build replays the corpus.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <cstdint>
#include <cstdio>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size);
extern "C" __attribute__((weak)) int LLVMFuzzerInitialize(int *argc, char ***argv);

int main(int argc, char *argv[])
{
    if (LLVMFuzzerInitialize)
        LLVMFuzzerInitialize(&argc, &argv);

    QStringList files;
    for (int i = 1; i < argc; ++i) {
        const QString named = QFile::decodeName(argv[i]);
        if (QFileInfo(named).isDir()) {
            const QDir folder(named);
            for (const QString &entry : folder.entryList(QDir::Files | QDir::Hidden, QDir::Name))
                files.append(folder.filePath(entry));
        } else if (QFileInfo(named).isFile()) {
            files.append(named);
        } else {
            std::fprintf(stderr, "%s: no such file or folder\n", argv[i]);
            return 2;
        }
    }
    if (files.isEmpty()) {
        std::fprintf(stderr, "usage: %s FILE|FOLDER...: nothing to replay\n", argv[0]);
        return 2;
    }
    for (const QString &name : std::as_const(files)) {
        QFile file(name);
        if (!file.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "%s: cannot be read\n", qUtf8Printable(name));
            return 2;
        }
        const QByteArray bytes = file.readAll();
        std::fprintf(stderr, "replaying %s\n", qUtf8Printable(name));
        std::fflush(stderr);
        LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t *>(bytes.constData()), std::size_t(bytes.size()));
    }
    std::fprintf(stderr, "%lld inputs replayed\n", static_cast<long long>(files.size()));
    return 0;
}
