#pragma once

#include "directory/directory.h"

#include <typeinfo>

// Passes every call on to another directory. Test directories derive from it to change only what a
// test sets; a test can also switch it to another directory behind the services a window was made
// with (one with its own password rules) without making them again.
class ForwardingDirectory : public Directory
{
public:
    explicit ForwardingDirectory(Directory &target)
        : m_target(&target)
    {
    }
    // A copy would forward to the same directory while looking like another: built from a directory
    // that forwards itself, it would pass over what that one changes.
    ForwardingDirectory(const ForwardingDirectory &) = delete;
    ForwardingDirectory &operator=(const ForwardingDirectory &) = delete;

    void switchTo(Directory &target) { m_target = &target; }

    Result<DirObjectPtr> bind(const QString &adsPath) override { return m_target->bind(adsPath); }
    Result<PasswordPolicy> passwordPolicyOfMembers(const QString &group) override
    {
        return m_target->passwordPolicyOfMembers(group);
    }
    Result<bool> ensureGroupPasswordPolicy(const QString &group, const PasswordPolicy &settings) override
    {
        return m_target->ensureGroupPasswordPolicy(group, settings);
    }
    // Made by the directory passed to, together if it can; but a test directory derived from this one
    // changes some call, so there they are made one by one through its own calls, as ever.
    QList<AccountReport> makeAccounts(const QString &serverName, const QList<NewAccount> &accounts) override
    {
        if (typeid(*this) == typeid(ForwardingDirectory))
            return m_target->makeAccounts(serverName, accounts);
        return Directory::makeAccounts(serverName, accounts);
    }

protected:
    Directory *m_target;
};
