#pragma once

#include "text/result.h"

#include <QByteArray>
#include <QString>

#include <optional>

class PathResolver;

// Where the domain controller is and how to reach it, read from "annuaire.conf" in the program
// folder: one key=value per line, "#" starting a comment. Paths that are not absolute are taken in
// the program folder. The bind password is not in this file but in the file it names, which must be
// readable by its owner alone.
struct LdapConfig
{
    QString uri; // ldaps://host[:port], or ldap://host[:port] upgraded with StartTLS
    QString base; // the domain's base DN
    QString realm; // for userPrincipalName; from base when not given
    QString bindDn; // the account the program works as
    QString passwordFile; // holds that account's password
    bool verifyServer = true; // tls=demand (default) or tls=never
    QString caFile; // certificates the server's is checked against; empty: the system's
    QString sambaConf; // the DC's smb.conf, for shares; empty: shares stay with the shell

    // Reads the file; the message of a failure names the file and the line.
    static Result<LdapConfig> read(const QString &hostFile, const QString &programFolder);
    static Result<LdapConfig> parse(const QByteArray &text, const QString &programFolder);
    // The program folder's "annuaire.conf", read; nothing when the folder has none, and the
    // embedded store and the folder's own list of shares serve.
    static std::optional<Result<LdapConfig>> ofProgramFolder(const PathResolver &paths);

    // The bind password, from a file nobody but its owner can read.
    Result<QByteArray> readPassword() const;

    // "velmar.test" for "DC=velmar,DC=test".
    static QString realmFromBase(const QString &base);
};
