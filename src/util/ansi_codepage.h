#pragma once
// The single-byte code page of the switcher's short strings. The switcher's files are written on
// Portuguese Windows, so where the system has no ANSI code page Windows-1252 stands in for it.

#include <QByteArray>
#include <QString>

namespace quorvel {

// The byte the code page uses for a character it lacks.
inline constexpr char kAnsiReplacement = '?';

// Converts text to the ANSI code page; characters the code page lacks become kAnsiReplacement.
// A character outside the Basic Multilingual Plane (a surrogate pair) becomes one replacement.
QByteArray UnicodeToAnsi(const QString& text);

// Converts bytes in the ANSI code page to text.
QString AnsiToUnicode(const QByteArray& bytes);

} // namespace quorvel
