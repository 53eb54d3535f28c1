#pragma once

#include <QString>

// Characters that are not text: the C0 and C1 controls, DEL, and the line and paragraph separators.
// A value read from a file or a command line that holds one may end early or break a line of the
// file it is written to, so such values are refused; where one must be shown, it is escaped.
namespace ControlCharacters {

bool isControl(QChar c);
bool any(const QString &text);
// The text with each control character written as \xHH (\uHHHH past 0xFF), fit for one line.
QString escaped(const QString &text);

} // namespace ControlCharacters
