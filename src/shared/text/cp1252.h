#pragma once

#include <QByteArray>
#include <QString>

// The ANSI code page of the school's Windows machines. Every text file of both programs is read and
// written through these two functions; a character the code page cannot hold is written as '?'.
namespace Cp1252 {
QString decode(const QByteArray &bytes);
QByteArray encode(const QString &text);
char16_t toUnicode(unsigned char byte);
} // namespace Cp1252
