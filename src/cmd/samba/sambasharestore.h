#pragma once

#include "cmd/sharestore.h"

#include <QByteArray>
#include <QStringList>

#include <optional>

// The shares of the domain controller's own Samba, kept in its registry ("registry shares = yes" in
// its smb.conf) through "net conf". A share named after an account with "$" appended (a personal
// folder, as perso.bat and prof.bat make them) is the account's: it admits that account and the
// domain's administrators alone, and, where the guard allows it, its folder goes to the account
// (uid through winbind) with the administrators as its group and nobody else let in, so that the
// pupil or teacher writes there and no other pupil reads. The scripts themselves set no rights.
class SambaShareStore : public ShareStore
{
public:
    explicit SambaShareStore(QString sambaConf);

    Status add(const Share &share) override;
    Status remove(const QString &name) override;
    Result<QList<Share>> list() const override;
    bool givesFoldersToAccounts() const override { return true; }

    // The registry's shares in "net conf list" form, [global] left out.
    static QList<Share> parseList(const QByteArray &text);

private:
    struct Output
    {
        int exitCode = -1;
        QByteArray text; // standard output and error together
    };
    struct Account
    {
        QString sid;
        uint uid = 0;
    };
    Result<Output> run(const QString &program, const QStringList &arguments) const;
    // The domain account of that name, or nothing when the name is no account's.
    Result<std::optional<Account>> accountOf(const QString &login) const;
    // The gid winbind gives that group.
    Result<uint> groupIdOf(const QString &sid) const;
    Status reserve(const QString &share, const QStringList &sids) const;
    Status giveToAccount(
        const QString &login, const Account &account, const QString &admins, const QString &folder) const;

    QString m_sambaConf;
};
