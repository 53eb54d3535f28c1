#pragma once

#include "directory/directory.h"

// A directory that cannot be reached: every bind fails with the message given, so no account or
// group is ever read or made. Like the embedded store, it sets no password rules.
class UnreachableDirectory : public Directory
{
public:
    explicit UnreachableDirectory(QString message = QStringLiteral("Annuaire injoignable."))
        : m_message(std::move(message))
    {
    }

    Result<DirObjectPtr> bind(const QString &) override { return Status::failure(m_message); }
    Result<PasswordPolicy> passwordPolicyOfMembers(const QString &) override { return PasswordPolicy(); }
    Result<bool> ensureGroupPasswordPolicy(const QString &, const PasswordPolicy &) override { return false; }

private:
    QString m_message;
};
