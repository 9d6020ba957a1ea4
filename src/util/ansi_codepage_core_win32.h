#pragma once
// The ANSI code page conversions on Windows through WideCharToMultiByte and MultiByteToWideChar.
// Plain Win32 with no Qt, so that it builds with mingw and its tests run under Wine;
// UnicodeToAnsi and AnsiToUnicode (ansi_codepage.h) wrap it.

#include <string>
#include <string_view>

namespace quorvel::win32 {

// The code page of the switcher's short strings: the system's ANSI code page when it is a
// single-byte one, otherwise (a system set to UTF-8 or a double-byte page) Windows-1252, so that
// every character stays one byte as the fixed-size records expect.
unsigned ShortStringCodePage();

// UTF-16 text to bytes of a single-byte code page. A character the page lacks becomes '?', never
// a look-alike ("ā" does not become "a"); a surrogate pair, or a lone surrogate, becomes one '?'.
// NUL characters are kept.
std::string WideToAnsi(std::wstring_view text, unsigned codePage);

// Bytes of a code page to UTF-16 text. NUL bytes are kept.
std::wstring AnsiToWide(std::string_view bytes, unsigned codePage);

} // namespace quorvel::win32
