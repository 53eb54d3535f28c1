#pragma once

#include <QString>
#include <QStringList>

struct Services;

// The directory steps that every new pupil's or teacher's account goes through once it exists. Each
// step that fails is passed over, as the enrolment goes on whatever became of it.
namespace AccountSteps {

// Points the account's home directory at its share login + "$" on the server and gives it its logon
// script.
void setHomeAndScript(
    const Services &services, const QString &serverName, const QString &login, const QString &logonScript);
// Makes the account a member of each group in turn.
void joinGroups(const Services &services, const QString &serverName, const QString &login, const QStringList &groups);

} // namespace AccountSteps
