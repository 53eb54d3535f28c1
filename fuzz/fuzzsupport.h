#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstddef>
#include <cstdint>

// What the fuzz targets share: the check that stops a run on a broken rule, and the scratch folders
// in which the targets that touch files work.
namespace Fuzz {

// Ends the run at once with the rule and what broke it; the fuzzer keeps the input.
[[noreturn]] void fail(const char *rule, const QString &detail);

inline QByteArray bytesOf(const std::uint8_t *data, std::size_t size)
{
    return QByteArray(reinterpret_cast<const char *>(data), qsizetype(size));
}

// A folder of the run's own, made on first use and removed when the run ends normally.
QString scratchRoot();

// Empties folder (made when missing) and lays the entries in it, in order: "a/b/" is a folder,
// "a/f=text" a file holding text, "a/l->target" a symbolic link.
void lay(const QString &folder, const QStringList &entries);

// Everything below folder, one line per entry, sorted: its path, its kind and its contents or link
// target. Two snapshots compare equal when nothing below folder changed.
QStringList snapshot(const QString &folder);

// True when path is folder or lies below it, both cleaned host paths.
bool isInside(const QString &path, const QString &folder);

} // namespace Fuzz

#define FUZZ_CHECK(condition, detail) ((condition) ? void() : Fuzz::fail(#condition, (detail)))
