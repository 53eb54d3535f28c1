#pragma once

#include "text/result.h"

#include <QString>
#include <QStringList>

#include <optional>

// The subject list and its file "matieres.txt": one subject per line, CR LF, in list order, nothing
// else. Every line is one subject, whatever it holds; an empty line is an empty subject.
namespace SubjectList {

// The subjects of the file, or no value when it is missing or cannot be read.
std::optional<QStringList> load(const QString &hostPath);
// Writes the whole list, replacing the file in one step.
Status save(const QString &hostPath, const QStringList &subjects);

// Which entry "Supprimer" removes: the last one whose text equals the current text, else the first;
// -1 for an empty list.
int indexToRemove(const QStringList &entries, const QString &currentText);

} // namespace SubjectList
