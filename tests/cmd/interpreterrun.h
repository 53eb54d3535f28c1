#pragma once

#include "support/tempprogramfolder.h"

#include <QProcess>
#include <QString>
#include <QStringList>

// Runs the program folder's interpreter straight from the test, with its arguments split at spaces
// as the shell splits a line, or given word by word (an empty word, a line break inside a word), and
// nothing on its standard input.
struct InterpreterRun
{
    int code = -1;
    QString out;
    QString err;

    static InterpreterRun of(TempProgramFolder &folder, const QString &arguments)
    {
        return of(folder, arguments.split(u' ', Qt::SkipEmptyParts));
    }

    static InterpreterRun of(TempProgramFolder &folder, const QStringList &words)
    {
        QProcess process;
        process.setWorkingDirectory(folder.path());
        process.setStandardInputFile(QProcess::nullDevice());
        process.start(folder.path() + QStringLiteral("/cmd"), words);
        InterpreterRun run;
        if (!process.waitForFinished(60000))
            return run;
        run.code = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        run.out = QString::fromLocal8Bit(process.readAllStandardOutput());
        run.err = QString::fromLocal8Bit(process.readAllStandardError());
        return run;
    }
};
