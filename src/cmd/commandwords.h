#pragma once

#include "text/result.h"

#include <QString>
#include <QStringList>

// A command's words split into its switches ("/s/q", "/Q", "/s /q") and its operands.
struct CommandWords
{
    QString switches; // the letters given, in lower case
    QStringList operands;

    bool has(char16_t letter) const { return switches.contains(QChar(letter)); }

    // A word is a switch when every piece between its slashes is one letter; anything else, a
    // path of this machine such as "/srv/ecole" included, is an operand. A letter outside allowed
    // is a failure naming it.
    static Result<CommandWords> split(const QStringList &words, const QString &allowed);
};
