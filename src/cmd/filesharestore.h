#pragma once

#include "sharestore.h"

#include <QByteArray>

#include <optional>

// Keeps the shares in "partages.txt" of the program folder, one share a line: name, path, host path
// and remark as quoted fields. Many scripts may run at once, so every change holds a lock on
// "partages.lck" across its read and its rewrite, and the rewrite replaces the file in one step.
class FileShareStore : public ShareStore
{
public:
    explicit FileShareStore(QString programFolder);

    Status add(const Share &share) override;
    Status remove(const QString &name) override;
    Result<QList<Share>> list() const override;

    QString fileName() const { return m_file; }

private:
    Result<QByteArray> readBytes() const;
    Result<QList<Share>> read() const;
    Status write(const QList<QByteArray> &lines) const;
    static QList<QByteArray> lines(const QByteArray &bytes);
    static QString nameOf(const QByteArray &line);
    // The name as the list holds it when a share of that name, in any case, is on it.
    static std::optional<QString> nameTaken(const QByteArray &bytes, const QString &name);

    QString m_file;
    QString m_lockFile;
};
