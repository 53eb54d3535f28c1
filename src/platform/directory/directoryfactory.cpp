#include "directoryfactory.h"

#include "sqlitedirectory.h"
#include "text/pathresolver.h"

#include <QFileInfo>

namespace {

class UnavailableDirectory : public Directory
{
public:
    explicit UnavailableDirectory(QString reason)
        : m_reason(std::move(reason))
    {
    }
    Result<DirObjectPtr> bind(const QString &) override { return Status::failure(m_reason); }

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

    // A directory server, when the program folder says which one, replaces the embedded store.
    // This version knows none: better to say so than to work on a store nobody else sees.
    const QString configuration = paths.toHost(folder + QStringLiteral("\\annuaire.conf"));
    if (QFileInfo::exists(configuration))
        return unavailable(QStringLiteral("Le fichier « annuaire.conf » désigne un serveur d'annuaire, "
                                          "que cette version du programme ne sait pas joindre."),
            problem);

    auto store = SqliteDirectory::open(paths.toHost(folder + QStringLiteral("\\annuaire.db")));
    if (!store)
        return unavailable(store.message(), problem);
    if (problem)
        problem->clear();
    return std::move(*store);
}
