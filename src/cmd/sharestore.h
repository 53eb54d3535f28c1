#pragma once

#include "text/result.h"

#include <QList>
#include <QString>

// A shared folder as "net share" knows it.
struct Share
{
    QString name;
    QString path; // as the command gave it, usually the Windows way ("E:\Perso\eleves\TS8\dupont")
    QString hostPath; // the folder of this machine it resolved to
    QString remark;
    // The folder may be handed to the account a "login$" share is named after (see PathGuard).
    bool mayGiveToAccount = false;

    // Names, paths and remarks are kept one share a line, and Samba reads them the same way: a line
    // break, or any other control character, is refused in each of them.
    Status checkText() const;
};

// Where shares are kept. Names are unique without regard to case, as the server sees them.
class ShareStore
{
public:
    virtual ~ShareStore() = default;

    // Fails when a share of that name, in any case, already exists.
    virtual Status add(const Share &share) = 0;
    // Fails when no share has that name, in any case.
    virtual Status remove(const QString &name) = 0;
    virtual Result<QList<Share>> list() const = 0;

    // Whether a share named after an account with "$" appended hands its folder to that account.
    virtual bool givesFoldersToAccounts() const { return false; }
};
