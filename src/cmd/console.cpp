#include "console.h"

#include <cstdio>

void Console::error(const QString &message)
{
    const QByteArray bytes = message.toLocal8Bit() + '\n';
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
    std::fflush(stderr);
}

bool Console::confirm(const QString &question)
{
    const QByteArray prompt = (question + QStringLiteral(" (O/N) ? ")).toLocal8Bit();
    std::fwrite(prompt.constData(), 1, size_t(prompt.size()), stdout);
    std::fflush(stdout);
    char answer[64] = {};
    if (!std::fgets(answer, sizeof answer, stdin))
        return false;
    const QString text = QString::fromLocal8Bit(answer).trimmed();
    return text.compare(QStringLiteral("o"), Qt::CaseInsensitive) == 0
        || text.compare(QStringLiteral("oui"), Qt::CaseInsensitive) == 0;
}

QStringList Console::takeOutput()
{
    QStringList lines;
    lines.swap(m_output);
    return lines;
}
