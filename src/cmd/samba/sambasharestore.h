#pragma once

#include "cmd/sharestore.h"

#include <QByteArray>
#include <QHash>
#include <QJsonArray>
#include <QStringList>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>

class SambaConfHelper;

// The shares of the domain controller's own Samba, kept in its registry ("registry shares = yes" in
// its smb.conf). A share named after an account with "$" appended (a personal
// folder, as perso.bat and prof.bat make them) is the account's: it admits that account and the
// domain's administrators alone, and, where the guard allows it, its folder goes to the account
// (uid through winbind) with the administrators as its group and nobody else let in, so that the
// pupil or teacher writes there and no other pupil reads. The scripts themselves set no rights.
//
// Shares are written and listed by one helper process on Samba's own Python bindings, started on
// first need and kept for the store's life: a share and all its parameters go into the registry in
// one transaction, so a personal share is never open to all, not even for a moment. Where the
// bindings cannot be used (no python, no bindings, a helper that dies or keeps silent), the store
// says so once and goes on through "net conf", the request in hand included.
class SambaShareStore : public ShareStore
{
public:
    struct Bindings
    {
        // The interpreter Samba's bindings are installed for: the system's own, not whichever python
        // comes first on PATH.
        QString python = QStringLiteral("/usr/bin/python3");
        std::chrono::milliseconds answerWithin = std::chrono::seconds(60);
        // Told once why the store went over to "net conf"; by default the standard error hears it.
        std::function<void(const QString &)> notice;
    };

    explicit SambaShareStore(QString sambaConf);
    SambaShareStore(QString sambaConf, Bindings bindings);
    ~SambaShareStore() override;

    Status add(const Share &share) override;
    Status remove(const QString &name) override;
    Result<QList<Share>> list() const override;
    bool givesFoldersToAccounts() const override { return true; }

    // The registry's shares in "net conf list" form, [global] left out.
    static QList<Share> parseList(const QByteArray &text);
    // The same from the helper's sections, [[name, [[key, value], ...]], ...].
    static QList<Share> sharesOf(const QJsonArray &sections);

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
    using Parameters = QList<std::pair<QString, QString>>;

    // Runs "net -s SMBCONF conf WORDS..." on the registry of this store's smb.conf.
    Result<Output> netConf(const QStringList &words) const;
    // The helper, started on first need; none once the store has gone over to "net conf".
    SambaConfHelper *helper() const;
    void fallBack(const QString &why) const;
    // What a share holds in the registry, in the order "net conf" writes it.
    static Parameters parametersOf(const Share &share, const QStringList &validUsers);
    Status createThroughHelper(SambaConfHelper &helper, const Share &share, const QStringList &validUsers);
    // maybeDone: the helper was given this share and went away before it answered.
    Status createThroughNetConf(const Share &share, const QStringList &validUsers, bool maybeDone);
    Result<Parameters> netConfParameters(const QString &share) const;
    // The domain account of that name, or nothing when the name is no account's.
    Result<std::optional<Account>> accountOf(const QString &login) const;
    // The gid winbind gives that group.
    Result<uint> groupIdOf(const QString &sid) const;
    Status reserve(const QString &share, const QStringList &sids) const;
    Status giveToAccount(
        const QString &login, const Account &account, const QString &admins, const QString &folder) const;

    QString m_sambaConf;
    Bindings m_bindings;
    mutable std::unique_ptr<SambaConfHelper> m_helper;
    mutable bool m_throughNetConf = false;
    // The domain winbind serves, asked once.
    mutable std::optional<QByteArray> m_domain;
    // The gids winbind gave groups, by SID.
    mutable QHash<QString, uint> m_groupIds;
};
