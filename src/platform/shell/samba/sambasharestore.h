#pragma once

#include "sharestore.h"

#include <QByteArray>
#include <QStringList>

// The shares of the domain controller's own Samba, kept in its registry ("registry shares = yes" in
// its smb.conf) through "net conf". A share named after an account with "$" appended (a personal
// folder, as perso.bat and prof.bat make them) hands its folder to that account, whose uid winbind
// gives, so that the pupil or teacher can write there: the scripts themselves set no rights.
class SambaShareStore : public ShareStore
{
public:
    explicit SambaShareStore(QString sambaConf);

    Status add(const Share &share) override;
    Status remove(const QString &name) override;
    Result<QList<Share>> list() const override;

    // The registry's shares in "net conf list" form, [global] left out.
    static QList<Share> parseList(const QByteArray &text);

private:
    struct Output
    {
        int exitCode = -1;
        QByteArray text; // standard output and error together
    };
    Result<Output> run(const QString &program, const QStringList &arguments) const;
    Status giveToAccount(const QString &account, const QString &folder) const;

    QString m_sambaConf;
};
