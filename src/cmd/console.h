#pragma once

#include <QString>
#include <QStringList>

// What a command says: its report lines, kept until the interpreter knows where they go (the screen
// or a file named after ">>"), its error messages, printed at once, and its yes/no questions.
class Console
{
public:
    void print(const QString &line) { m_output.append(line); }
    void error(const QString &message);
    // Asks on the terminal; anything but a yes, or no terminal at all, is a no.
    bool confirm(const QString &question);

    QStringList takeOutput();

private:
    QStringList m_output;
};
