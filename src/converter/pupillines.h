#pragma once

#include <QByteArray>
#include <QByteArrayView>

// Lines of trivo's files, built from Windows-1252 bytes: fields joined by commas, each line ended by
// CR LF. A field that holds a comma or a line end is written between double quotes, so that the
// field stream reads it back as one field instead of shifting every later record.
namespace PupilLines {

bool needsQuotes(QByteArrayView field);
// Appends bytes, growing the array the way a stream would.
void appendBytes(QByteArray &out, QByteArrayView bytes);
// Appends the fields joined by commas, then CR LF.
void appendLine(QByteArray &out, std::initializer_list<QByteArrayView> fields);
// The field as the field stream gives it back once written: leading spaces are lost unless the
// field had to be quoted.
QByteArrayView readBack(QByteArrayView field);
// The bytes in lower case, accented capitals and the ligature included.
void lowerInPlace(QByteArray &bytes);

} // namespace PupilLines
