#include "directoryfactory.h"

#include "config/ldapconfig.h"
#include "directory/ldap/ldapdirectory.h"
#include "directory/sqlite/sqlitedirectory.h"
#include "text/pathresolver.h"

namespace {

class UnavailableDirectory : public Directory
{
public:
    explicit UnavailableDirectory(QString reason)
        : m_reason(std::move(reason))
    {
    }
    Result<DirObjectPtr> bind(const QString &) override { return Status::failure(m_reason); }
    Result<PasswordPolicy> passwordPolicyOfMembers(const QString &) override { return Status::failure(m_reason); }
    Result<bool> ensureGroupPasswordPolicy(const QString &, const PasswordPolicy &) override
    {
        return Status::failure(m_reason);
    }

private:
    QString m_reason;
};

std::unique_ptr<Directory> unavailable(const QString &reason, QString *problem)
{
    if (problem)
        *problem = reason;
    return std::make_unique<UnavailableDirectory>(reason);
}

} // namespace

std::unique_ptr<Directory> openDirectory(const PathResolver &paths, QString *problem)
{
    const QString folder = paths.programFolder();

    // A domain controller, when the program folder says which one, replaces the embedded store.
    // A configuration that cannot be used leaves the program without a directory rather than on a
    // store nobody else sees.
    if (auto config = LdapConfig::ofProgramFolder(paths)) {
        if (!*config)
            return unavailable(config->message(), problem);
        auto server = LdapDirectory::open(**config);
        if (!server)
            return unavailable(server.message(), problem);
        // Reached now so that a wrong setting shows at start; a server that is down is tried
        // again at every call.
        const Status reached = (*server)->connect();
        if (problem)
            *problem = reached.message();
        return std::move(*server);
    }

    auto store = SqliteDirectory::open(paths.toHost(folder + QStringLiteral("\\annuaire.db")));
    if (!store)
        return unavailable(store.message(), problem);
    if (problem)
        problem->clear();
    return std::move(*store);
}
