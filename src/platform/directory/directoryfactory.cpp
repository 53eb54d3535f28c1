#include "directoryfactory.h"

namespace {

class UnavailableDirectory : public Directory
{
public:
    explicit UnavailableDirectory(QString reason) : m_reason(std::move(reason)) {}
    Result<DirObjectPtr> bind(const QString &) override { return Status::failure(m_reason); }

private:
    QString m_reason;
};

} // namespace

std::unique_ptr<Directory> openDirectory(const PathResolver &, QString *problem)
{
    const QString reason = QStringLiteral("Aucun annuaire n'est configuré.");
    if (problem)
        *problem = reason;
    return std::make_unique<UnavailableDirectory>(reason);
}
