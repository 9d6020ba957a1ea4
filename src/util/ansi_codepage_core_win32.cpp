#include "util/ansi_codepage_core_win32.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <climits>

namespace quorvel::win32 {

namespace {

constexpr unsigned kWindows1252 = 1252;
constexpr char kReplacement[] = "?";

bool IsHighSurrogate(wchar_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}
bool IsLowSurrogate(wchar_t c) {
    return c >= 0xDC00 && c <= 0xDFFF;
}

} // namespace

unsigned ShortStringCodePage() {
    const UINT system = GetACP();
    CPINFO info{};
    if (GetCPInfo(system, &info) != FALSE && info.MaxCharSize == 1) {
        return system;
    }
    return kWindows1252;
}

std::string WideToAnsi(std::wstring_view text, unsigned codePage) {
    // What lies outside the Basic Multilingual Plane is one character and becomes one '?';
    // WideCharToMultiByte would give one per half.
    std::wstring units;
    units.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const wchar_t c = text[i];
        if (IsHighSurrogate(c) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
            units.push_back(L'?');
            ++i;
        } else if (IsHighSurrogate(c) || IsLowSurrogate(c)) {
            units.push_back(L'?');
        } else {
            units.push_back(c);
        }
    }
    if (units.empty() || units.size() > static_cast<std::size_t>(INT_MAX)) {
        return {};
    }
    const int length = static_cast<int>(units.size());
    BOOL usedReplacement = FALSE;
    const int size = WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, units.data(), length,
                                         nullptr, 0, kReplacement, &usedReplacement);
    if (size <= 0) {
        return std::string(units.size(), kReplacement[0]);
    }
    std::string bytes(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, units.data(), length, bytes.data(), size,
                        kReplacement, &usedReplacement);
    return bytes;
}

std::wstring AnsiToWide(std::string_view bytes, unsigned codePage) {
    if (bytes.empty() || bytes.size() > static_cast<std::size_t>(INT_MAX)) {
        return {};
    }
    const int length = static_cast<int>(bytes.size());
    const int size = MultiByteToWideChar(codePage, 0, bytes.data(), length, nullptr, 0);
    if (size <= 0) {
        return {};
    }
    std::wstring text(static_cast<std::size_t>(size), L'\0');
    MultiByteToWideChar(codePage, 0, bytes.data(), length, text.data(), size);
    return text;
}

} // namespace quorvel::win32
