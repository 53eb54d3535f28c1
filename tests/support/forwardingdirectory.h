#pragma once

#include "directory/directory.h"

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

protected:
    Directory *m_target;
};
