#pragma once

#include "config/ldapconfig.h"
#include "directory/ldap/ldapconnection.h"
#include "text/result.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

// The throwaway domain controller of scripts/dc/dc, restored from its tarball and started for one
// test program, stopped at its end. Only one runs on a machine at a time.
class DcFixture
{
public:
    static constexpr const char *domain = "VELMAR";
    static constexpr const char *realm = "VELMAR.TEST";
    static constexpr const char *base = "DC=velmar,DC=test";

    ~DcFixture();

    // A program run to its end, or stopped after two minutes; its output and errors together.
    struct Run
    {
        int exitCode = -1;
        QString output;
    };
    static Run runProgram(const QString &program, const QStringList &arguments, const QString &folder = {});
    // smbclient as an account, with the credentials in a file of the folder while it runs: never a
    // password on a command line.
    static Run smbclient(
        const QString &folder, const QString &user, const QString &password, const QStringList &arguments);
    // Points a program folder at the DC: its interpreter keeps shares in the DC's Samba, and the
    // accounts can reach their folders below it.
    static Status pointProgramFolder(const QString &folder);

    // Starts the DC, runs the tests that run gives it, and stops it; returns the failures, a DC
    // that does not start or stop counting as one.
    static int runTests(const std::function<int(DcFixture &dc)> &run);

    // Restores and starts the DC; a failure says why (the DC did not come up within its bounded wait).
    Status start();
    Status stop();
    // Stops and starts it again, from the tarball: everything written since is gone.
    Status restart();
    // The process ids of the DC: every process of its PID namespace. None when it is not running.
    static QStringList processes();
    // The DC's LDAP server stopped where it stands, as a server that hangs: the kernel still takes
    // its connections, and nothing answers on them. The rest of the DC (winbind) goes on; stop()
    // ends it all.
    Status freezeDirectory();

    // The working folder of the script: annuaire.conf, bindpass, the DC's folder dc/.
    static QString work();
    // What the script wrote to reach the DC: ldaps, TLS demanded against the test CA.
    Result<LdapConfig> config() const;
    // The same, for another part of the domain.
    Result<LdapConfig> config(const QString &base) const;
    QString adminPassword() const;
    QString caFile() const { return work() + QStringLiteral("/dc/tls/ca.pem"); }
    QString sambaConf() const { return work() + QStringLiteral("/dc/etc/smb.conf"); }

    // A connection as the domain's administrator, for setting up and checking behind the program's back.
    LdapConnection &admin();

    // Empties the organisational unit OU=name below the domain (made when missing) and gives it a
    // "CN=Users" container; returns its DN.
    Result<QString> freshUnit(const QString &name);

    // The domain keeps samba-tool's policy, which never locks an account: this gives the account a
    // password policy of the tests' own, under which three wrong passwords lock it for 30 minutes.
    Status lockAfterThreeFailures(const QString &accountDn);
    // The DNs of the Password Settings Objects applied to that group or account.
    QStringList policiesAppliedTo(const QString &dn);
    static QString passwordSettingsContainer();

private:
    Status runScript(const QString &action) const;
    std::unique_ptr<LdapConnection> m_admin;
    bool m_started = false;
};
