#pragma once
// The start-up hand-off file "Quorvel.dat": one value a line, written by the switcher's side and
// only read here. Each reader loads the file afresh and falls back to its default when the file,
// the line or a number in it is missing.

#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>

namespace quorvel {

inline constexpr int kMaxInputs = 8;
inline constexpr int kSlotCount = 6;

// <application data>/Strevia/Quorvel.dat (the folder is created, never the file).
QString GetHandoffFileName();

// The file's lines: CR LF, LF or CR end a line; a terminator at the very end adds no line. A UTF-8
// or UTF-16 byte-order mark selects that encoding, otherwise the ANSI code page. Empty when the
// file does not exist or cannot be read.
std::optional<QStringList> ReadHandoffLines(const QString& path);

// An optionally signed decimal number that fits in 32 bits (blanks around it allowed), or fallback.
std::int32_t HandoffInteger(const QString& text, std::int32_t fallback);

std::int32_t ReadIndexProgram(const QString& path);           // line 0, default 1
std::int32_t ReadButtonIndex(const QString& path);            // line 1, default 1
std::int32_t ReadQuantPreview(const QString& path);           // line 2, default 4
std::int32_t ReadVideoFormat(const QString& path);            // line 3, default 0
bool ReadInputIsDevice(const QString& path, int input);       // line 3 + input holds exactly 1
std::int32_t ReadInputFormat(const QString& path, int input); // line 11 + input, default 0

// The set index from the last line (default 1) and the caption from the line before it.
struct DefIndexAndCaption {
    std::int32_t defIndex = 1;
    // "Quorvel - " + the second-to-last line, or "Quorvel" when there is no such line; empty when
    // the file is missing (the caption stays as it is).
    std::optional<QString> caption;
};
DefIndexAndCaption ReadDefIndexAndCaption(const QString& path);

// Values out of range are brought into the range the designer's arrays hold.
int ClampInputCount(int count); // 0 to 8
int ClampSlot(int slot);        // 0 to 6; 0 opens no slot

} // namespace quorvel
