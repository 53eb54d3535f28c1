#pragma once

#include "directory/directory.h"

#include <QDateTime>
#include <QObject>

#include <functional>
#include <memory>

// What a directory backend gives the shared tests: a fresh, empty directory for each test, and the
// things only a domain controller does by itself (locking after failed logons, recording a logon,
// checking a password), which each backend reaches its own way.
struct DirectoryBackend
{
    std::function<std::unique_ptr<Directory>()> make;
    std::function<Status(Directory &, const QString &user, bool locked)> setLocked;
    std::function<Status(Directory &, const QString &user, const QDateTime &when)> setLastLogin;
    std::function<Result<bool>(Directory &, const QString &user, const QString &password)> checkPassword;
};

// The behaviour every backend owes the program, run against the backend given.
class DirectorySuite : public QObject
{
    Q_OBJECT

public:
    explicit DirectorySuite(DirectoryBackend backend)
        : m_backend(std::move(backend))
    {
    }

private Q_SLOTS:
    void init();
    void cleanup();

    void binding_data();
    void binding();
    void pendingObjectInvisibleUntilSetInfo();
    void names_data();
    void names();
    void duplicatesRegardlessOfCase_data();
    void duplicatesRegardlessOfCase();
    void losingRaceAtSetInfoStoresNothing();
    void properties();
    void refusedPuts_data();
    void refusedPuts();
    void readsGoToTheStore();
    void filters_data();
    void filters();
    void deletion();
    void deletingUserDropsMemberships();
    void membership();
    void membershipFailures_data();
    void membershipFailures();
    void lockAndLastLogin();
    void passwords();
    void groupPasswordPolicy();

private:
    DirObjectPtr container();
    bool makeUser(const QString &name, const QString &password = QString());
    bool makeGroup(const QString &name, int groupType = globalGroupType);
    QStringList childNames(const QList<DirListed> &filter);
    QStringList memberNames(const QString &group);

    DirectoryBackend m_backend;
    std::unique_ptr<Directory> m_dir;
};
