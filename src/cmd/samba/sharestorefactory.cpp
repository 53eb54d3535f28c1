#include "sharestorefactory.h"

#include "cmd/filesharestore.h"
#include "config/ldapconfig.h"
#include "sambasharestore.h"
#include "text/pathresolver.h"

namespace {

// A configuration that cannot be read: every share command says why, none lands in the wrong place.
class UnusableShareStore : public ShareStore
{
public:
    explicit UnusableShareStore(QString reason)
        : m_reason(std::move(reason))
    {
    }
    Status add(const Share &) override { return Status::failure(m_reason); }
    Status remove(const QString &) override { return Status::failure(m_reason); }
    Result<QList<Share>> list() const override { return Status::failure(m_reason); }

private:
    QString m_reason;
};

} // namespace

std::unique_ptr<ShareStore> openShareStore(const PathResolver &paths)
{
    const QString programFolder = paths.programFolder();
    if (auto config = LdapConfig::ofProgramFolder(paths)) {
        if (!*config)
            return std::make_unique<UnusableShareStore>(config->message());
        if (!(*config)->sambaConf.isEmpty())
            return std::make_unique<SambaShareStore>((*config)->sambaConf);
    }
    return std::make_unique<FileShareStore>(programFolder);
}
