#include "tempprogramfolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <unistd.h>

TempProgramFolder::TempProgramFolder()
{
    QDir(m_dir.path()).mkpath(QStringLiteral("drives"));
    QByteArray map;
    for (char letter = 'C'; letter <= 'H'; ++letter) {
        const QString folder = m_dir.path() + QStringLiteral("/drives/") + QChar::fromLatin1(letter).toLower();
        QDir().mkpath(folder);
        map += QByteArray(1, letter) + ":," + folder.toUtf8() + "\r\n";
    }
    writeFile(QStringLiteral("lecteurs.txt"), map);
    reloadPaths();
}

void TempProgramFolder::reloadPaths()
{
    m_paths = std::make_unique<PathResolver>(m_dir.path());
}

void TempProgramFolder::writeSettings(
    const QString &domain, const QString &server, const QString &systemVolume, const QString &modeLine)
{
    writeFile(QStringLiteral("parametres.txt"),
        (domain + QStringLiteral("\r\n") + server + QStringLiteral("\r\n")).toLatin1());
    writeFile(QStringLiteral("system.txt"), (systemVolume + QStringLiteral("\r\n")).toLatin1());
    writeFile(QStringLiteral("mode.txt"), (modeLine + QStringLiteral("\r\n")).toLatin1());
}

void TempProgramFolder::writeFile(const QString &relativeName, const QByteArray &bytes)
{
    const QString full = m_dir.path() + u'/' + relativeName;
    QDir().mkpath(QFileInfo(full).path());
    QFile file(full);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(bytes);
}

QByteArray TempProgramFolder::readFile(const QString &relativeName) const
{
    QFile file(m_dir.path() + u'/' + relativeName);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

bool TempProgramFolder::exists(const QString &relativeName) const
{
    return QFileInfo::exists(m_dir.path() + u'/' + relativeName);
}

QString TempProgramFolder::drive(const QString &letter) const
{
    return m_dir.path() + QStringLiteral("/drives/") + letter.left(1).toLower();
}

void TempProgramFolder::installPrograms()
{
    const QDir built(QStringLiteral(VELMAR_BUILT_PROGRAM_FOLDER));
    const QStringList programs = built.entryList(QDir::Files);
    for (const QString &name : programs) {
        const QFileInfo info(built.filePath(name));
        // Settings and stores are the test's own, and so are a store's journal and shared memory, which
        // a program stopped in the build folder leaves behind: beside a new store they break it.
        if (info.suffix() == QStringLiteral("txt") || info.suffix() == QStringLiteral("db")
            || info.suffix().startsWith(QStringLiteral("db-")))
            continue;
        // A hard link (or a copy), not a symbolic link: a program finds its program folder from the
        // path it was started by, and must find this one.
        const QString target = m_dir.path() + u'/' + name;
        QFile::remove(target);
        if (::link(QFile::encodeName(info.absoluteFilePath()).constData(), QFile::encodeName(target).constData()) != 0)
            QFile::copy(info.absoluteFilePath(), target);
    }
}
