#include "commandline.h"

#include "programversion.h"

#include <QCoreApplication>

#include <cstdio>
#include <vector>

namespace {

void print(std::FILE *stream, const QString &text)
{
    std::fputs(text.toLocal8Bit().constData(), stream);
}

} // namespace

CommandLine::CommandLine(QString programName, const QString &description)
    : m_programName(std::move(programName))
    , m_help({QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("Affiche cette aide et quitte."))
    , m_version({QStringLiteral("v"), QStringLiteral("version")}, QStringLiteral("Affiche la version et quitte."))
{
    m_parser.setApplicationDescription(description);
    // -platform and its kind are the toolkit's long options with one dash: never letters run together.
    m_parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    m_parser.addOption(m_help);
    m_parser.addOption(m_version);
}

std::optional<int> CommandLine::answerWithoutDisplay(int argc, char **argv)
{
    // The help text names the executable through the core application, which needs no display.
    // It gets copies: it may take its own options out of what it is given.
    std::vector<char *> arguments(argv, argv + argc);
    arguments.push_back(nullptr);
    int count = argc;
    QCoreApplication core(count, arguments.data());

    // An unknown option here may be the toolkit's: refuseLeftovers() judges once the toolkit took its own.
    m_parser.parse(QCoreApplication::arguments());
    if (m_parser.isSet(m_help)) {
        print(stdout, m_parser.helpText());
        return 0;
    }
    if (m_parser.isSet(m_version)) {
        print(stdout, QStringLiteral("%1 %2\n").arg(m_programName, QLatin1String(ProgramVersion::text)));
        return 0;
    }
    return std::nullopt;
}

std::optional<int> CommandLine::refuseLeftovers(const QStringList &arguments)
{
    QStringList mistakes;
    if (!m_parser.parse(arguments)) {
        for (const QString &name : m_parser.unknownOptionNames())
            mistakes << QStringLiteral("Option inconnue : %1").arg(name);
        if (mistakes.isEmpty())
            mistakes << m_parser.errorText();
    }
    for (const QString &argument : m_parser.positionalArguments())
        mistakes << QStringLiteral("Argument inattendu : %1").arg(argument);
    if (mistakes.isEmpty())
        return std::nullopt;
    mistakes << QStringLiteral("Voir « %1 --help ».").arg(m_programName);
    for (const QString &mistake : std::as_const(mistakes))
        print(stderr, QStringLiteral("%1 : %2\n").arg(m_programName, mistake));
    return 1;
}
