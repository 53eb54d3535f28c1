#pragma once

#include "forwardingdirectory.h"
#include "forwardingdirobject.h"

#include <QList>

#include <optional>
#include <utility>

// Passes every call on to a directory, except what a test sets: the password policy that the
// members of every group meet, a failure of the making of a group's policy, and a domain that
// refuses every password. Records the policies it was asked to make.
class PolicyDirectory : public ForwardingDirectory
{
public:
    explicit PolicyDirectory(Directory &inner)
        : ForwardingDirectory(inner)
    {
    }

    std::optional<Result<PasswordPolicy>> memberPolicy;
    std::optional<Status> ensureFailure;
    bool refusePasswords = false;
    QList<std::pair<QString, PasswordPolicy>> ensured;

    Result<DirObjectPtr> bind(const QString &adsPath) override { return wrap(ForwardingDirectory::bind(adsPath)); }
    Result<PasswordPolicy> passwordPolicyOfMembers(const QString &group) override
    {
        return memberPolicy ? *memberPolicy : ForwardingDirectory::passwordPolicyOfMembers(group);
    }
    Result<bool> ensureGroupPasswordPolicy(const QString &group, const PasswordPolicy &settings) override
    {
        ensured.append({group, settings});
        if (ensureFailure)
            return *ensureFailure;
        return ForwardingDirectory::ensureGroupPasswordPolicy(group, settings);
    }

private:
    // Takes the password, and refuses to store it.
    class Object : public ForwardingDirObject
    {
    public:
        Object(DirObjectPtr inner, PolicyDirectory &directory)
            : ForwardingDirObject(std::move(inner))
            , m_directory(directory)
        {
        }
        Result<DirObjectPtr> create(DirKind kind, const QString &name) override
        {
            return m_directory.wrap(m_inner->create(kind, name));
        }
        Status setPassword(const QString &password) override
        {
            m_passwordPending = true;
            return m_inner->setPassword(password);
        }
        Status setInfo() override
        {
            if (m_passwordPending && m_directory.refusePasswords)
                return Status::failure(QStringLiteral("Le mot de passe de « %1 » est refusé par la stratégie du "
                                                      "domaine (0000052D: the password is too short).")
                                           .arg(name()));
            m_passwordPending = false;
            return m_inner->setInfo();
        }

    private:
        PolicyDirectory &m_directory;
        bool m_passwordPending = false;
    };

    Result<DirObjectPtr> wrap(Result<DirObjectPtr> bound)
    {
        if (!bound)
            return bound;
        return DirObjectPtr(std::make_unique<Object>(std::move(*bound), *this));
    }
};
