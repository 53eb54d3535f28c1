#include "actionjournal.h"

#include "journalfile.h"
#include "ui/prompts.h"

#include <QStringList>

ActionJournal::ActionJournal(const PathResolver &paths, Prompts &prompts)
    : m_paths(paths)
    , m_prompts(prompts)
{
}

QString ActionJournal::line(const QDateTime &when, const QString &action, const QString &name, const QString &outcome)
{
    return when.toString(QStringLiteral("dd/MM/yyyy ; HH:mm:ss")) + QStringLiteral(" ; ") + action
        + QStringLiteral(" ; ") + name + QStringLiteral(" ; ") + outcome;
}

QString ActionJournal::outcomeText(const Status &outcome)
{
    return outcome ? QStringLiteral("fait") : QStringLiteral("échec : ") + outcome.message();
}

QString ActionJournal::stepsText(const QList<Step> &steps)
{
    QStringList texts;
    for (const auto &[name, outcome] : steps)
        texts << name + (outcome ? QStringLiteral(" : fait") : QStringLiteral(" : échec (") + outcome.message() + u')');
    return texts.join(QStringLiteral(" ; "));
}

void ActionJournal::record(const QString &action, const QString &name, const Status &outcome)
{
    record(action, name, outcomeText(outcome));
}

void ActionJournal::record(const QString &action, const QString &name, const QString &outcome)
{
    auto journal = JournalFile::append(m_paths, fileName());
    const Status written
        = journal ? journal->writeLine(line(QDateTime::currentDateTime(), action, name, outcome)) : journal.status();
    if (written || m_told)
        return;
    m_told = true;
    m_prompts.message(QStringLiteral("Le journal des actions %1 n'a pas pu être écrit : %2\r"
                                     "Les actions continuent, mais le journal peut ne pas toutes les noter.")
                          .arg(JournalFile::folder(m_paths) + u'\\' + fileName(), written.message()));
}
