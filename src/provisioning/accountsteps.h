#pragma once

#include "text/result.h"

#include <QString>

struct Services;

// The directory steps that every new pupil's or teacher's account goes through once it exists. Each
// returns what became of it; the enrolments go on whatever it was.
namespace AccountSteps {

// Points the account's home directory at its share login + "$" on the server and gives it its logon
// script.
Status setHomeAndScript(
    const Services &services, const QString &serverName, const QString &login, const QString &logonScript);
// Makes the account a member of the group.
Status joinGroup(const Services &services, const QString &serverName, const QString &login, const QString &group);

} // namespace AccountSteps
