#pragma once

#include "text/result.h"

#include <QByteArray>
#include <QList>
#include <QStringList>

#include <optional>

// One line as the shell hands it to a serving interpreter, and how both ends write it on the stream
// between them. Every field is its length in decimal digits, ":" and its bytes, so that any character
// survives, a line break or a NUL included: the working folder; the environment, as a count and then
// "NAME=value" entries, or the count "-" when it is the one of the line before; the number of words;
// then the words in UTF-8, argv[0] first. The answer is the line's exit code in decimal digits and a
// line break.
struct ServedLine
{
    QByteArray workingFolder;
    std::optional<QList<QByteArray>> environment; // nothing: the one of the line before
    QStringList words;

    QByteArray encode() const;

    // Takes the first whole line off the front of the stream: nothing while the stream does not hold
    // a whole one yet, a failure when what it holds is no line.
    static Result<std::optional<ServedLine>> take(QByteArray &stream);

    static QByteArray answer(int exitCode);
    // The same for an answer.
    static Result<std::optional<int>> takeAnswer(QByteArray &stream);

    // Writes every byte on the descriptor between the two ends; false once the other end has gone. A
    // socket whose other end has gone fails the write instead of ending this process with a signal.
    static bool sendAll(int fd, const QByteArray &bytes);
};
