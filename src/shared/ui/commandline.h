#pragma once

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QString>
#include <QStringList>

#include <optional>

// The command line of a window program. --help and --version are answered on standard output
// before any window exists, so that they work without a display; with no option the window starts.
class CommandLine
{
public:
    CommandLine(QString programName, const QString &description);

    // Reads argv before the window toolkit starts. Gives the exit status when the program has
    // answered and must end there.
    [[nodiscard]] std::optional<int> answerWithoutDisplay(int argc, char **argv);

    // Once the toolkit has taken its own options (-platform, -style...), anything left is a mistake:
    // says so on standard error and gives the exit status.
    [[nodiscard]] std::optional<int> refuseLeftovers(const QStringList &arguments);

private:
    QString m_programName;
    QCommandLineParser m_parser;
    QCommandLineOption m_help;
    QCommandLineOption m_version;
};
