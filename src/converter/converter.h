#pragma once

#include "text/result.h"

#include <QString>
#include <QStringList>

class PathResolver;

// What one click of "Analyser" works on: the texts of the window's boxes as they stand, paths written
// the Windows way.
struct ConversionRequest
{
    QString exportFile; // txt_src: the raw pupil export
    QString convertedFile; // txt_dest: the converted pupil file, appended to
    QString errorFile; // txt_err: pupils without a class
    QString classTable; // txt_div: class codes and names
    QString workFolder; // disk: followed directly by "\temporvo.txt" and the per-class files
    bool lowerCase = false; // Check1
};

// How a conversion shows its progress while it runs inside the click.
class ConversionObserver
{
public:
    virtual ~ConversionObserver() = default;
    // The first pass counted this many records: the progress runs from 0 to it.
    virtual void counted(qint64 total) = 0;
    // Records processed by the second pass so far; reported every few hundred records and at the last.
    virtual void progressed(qint64 processed) = 0;
    // The second pass is over and the export held records: shows the message, then the progress goes
    // back to 0.
    virtual void analysed(const QString &message) = 0;
    // Sorting and merging go on: a chance to keep the window painted.
    virtual void stillWorking() = 0;
};

struct ConversionReport
{
    qint64 total = 0;
    qint64 withoutClass = 0;
    // Codes missing from the class table whose pupils could not be set aside in a work file.
    QStringList unparkedClasses;
};

// "Analyser": sets the pupils without a class aside in the error file, gives every other pupil the
// class name of the class table, and appends them to the converted pupil file grouped by class in the
// order of the table, in export order within a class. Pupils whose code is not in the table are set
// aside in a work file named after the code, left in the work folder.
//
// Everything is read once and every file is written through one buffered stream, so the time grows
// with the export alone. Nothing is written before every input has been read and every output
// opened; a failure to do so stops the run with a message naming the file.
class Converter
{
public:
    explicit Converter(const PathResolver &paths)
        : m_paths(paths)
    {
    }

    Result<ConversionReport> run(const ConversionRequest &request, ConversionObserver &observer);

    static QString analysisMessage(qint64 total, qint64 withoutClass, const QString &errorFile);
    static QString finishedMessage();
    static QString unparkedMessage(const QStringList &classes, const QString &workFolder);

private:
    const PathResolver &m_paths;
};
