#pragma once

#include "directory/dirproperties.h"

#include <QStringList>

#include <cstdio>

class SqliteDirectory;

// The command-line tool's verbs on the embedded store: listing what it holds and doing by hand what a
// domain controller does by itself (locking an account, recording a logon, checking a password).
class AnnuaireTool
{
public:
    AnnuaireTool(SqliteDirectory &directory, std::FILE *out, std::FILE *err, std::FILE *in);

    // arguments without the program name; the exit status.
    int run(const QStringList &arguments);

    static QString usage();

private:
    // The names of the accounts ("User") or of the groups ("Group"), one a line.
    int list(DirListed kind);
    int members(const QString &group);
    int show(const QString &name);
    int lock(const QString &name);
    int lastLogin(const QString &name, const QString &when);
    int checkPassword(const QString &name);

    void print(const QString &line);
    int fail(const QString &message, int status = 1);

    SqliteDirectory &m_directory;
    std::FILE *m_out;
    std::FILE *m_err;
    std::FILE *m_in;
};
