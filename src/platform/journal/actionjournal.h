#pragma once

#include "text/result.h"

#include <QDateTime>
#include <QList>
#include <QString>

#include <utility>

class PathResolver;
class Prompts;

// "journal\actions.txt" of the program folder: one line for each action taken one at a time (a
// group made or removed, a member added or removed, a single account, an unlock, a late pupil, a
// teacher coming or leaving, the mail store emptied), with date, time, action, name and outcome.
// Never a password. A journal that cannot be written stops no action: the administrator is told
// once, the first time, and the actions go on without it.
class ActionJournal
{
public:
    ActionJournal(const PathResolver &paths, Prompts &prompts);

    void record(const QString &action, const QString &name, const Status &outcome);
    void record(const QString &action, const QString &name, const QString &outcome);

    // "JJ/MM/AAAA ; HH:MM:SS ; action ; name ; outcome"
    static QString line(const QDateTime &when, const QString &action, const QString &name, const QString &outcome);
    // "fait", or "échec : " + the reason.
    static QString outcomeText(const Status &outcome);
    // What became of each step of an action: "compte : fait ; groupe profs : échec (reason)".
    using Step = std::pair<QString, Status>;
    static QString stepsText(const QList<Step> &steps);
    static QString fileName() { return QStringLiteral("actions.txt"); }

private:
    const PathResolver &m_paths;
    Prompts &m_prompts;
    bool m_told = false;
};
