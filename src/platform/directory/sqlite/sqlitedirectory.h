#pragma once

#include "directory/directory.h"

#include <QDateTime>

#include <memory>

class SqliteStore;

// The embedded directory: one domain kept in an SQLite file. Any server or domain name binds it, so
// "WinNT://" + whatever name the settings give is its container. Handles read the file on every
// call and keep only their own pending changes, so two programs sharing the file see each other's
// work.
class SqliteDirectory : public Directory
{
public:
    struct Options
    {
        // Flush each change to the disk before the call returns. Off, a change still survives the
        // program ending and never lands half-written, but a power cut may take back the last few.
        bool syncEveryCommit = false;
        int passwordIterations = 10000;
    };

    // Opens the file, creating it and its tables on first use.
    static Result<std::unique_ptr<SqliteDirectory>> open(const QString &hostFile, const Options &options);
    static Result<std::unique_ptr<SqliteDirectory>> open(const QString &hostFile) { return open(hostFile, Options()); }
    ~SqliteDirectory() override;

    Result<DirObjectPtr> bind(const QString &adsPath) override;
    // The store keeps no password rules: every password is taken, and no policy is made.
    Result<PasswordPolicy> passwordPolicyOfMembers(const QString &) override { return PasswordPolicy(); }
    Result<bool> ensureGroupPasswordPolicy(const QString &, const PasswordPolicy &) override { return false; }

    // What a domain controller records by itself, set by hand for the command-line tool and tests.
    Status setAccountLocked(const QString &userName, bool locked);
    Status setLastLogin(const QString &userName, const QDateTime &when);
    // True when the password is the account's; an account never given one has the empty password.
    Result<bool> checkPassword(const QString &userName, const QString &password);

private:
    explicit SqliteDirectory(std::shared_ptr<SqliteStore> store);
    std::shared_ptr<SqliteStore> m_store;
};
