#pragma once

#include "directory/directory.h"

// Passes every call on to the directory it is switched to, so that a test can put another directory
// (one with its own password rules) behind the services a window was made with.
class SwitchableDirectory : public Directory
{
public:
    explicit SwitchableDirectory(Directory &target)
        : m_target(&target)
    {
    }

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

private:
    Directory *m_target;
};
