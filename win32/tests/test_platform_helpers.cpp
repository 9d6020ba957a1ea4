// The Windows special folders and the ANSI code page conversions, under Wine.

#include "util/ansi_codepage_core_win32.h"
#include "util/special_folder_core_win32.h"

#include <windows.h>

#include <gtest/gtest.h>

namespace quorvel::win32 {
namespace {

bool IsFolder(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

TEST(SpecialFolderPath, GivesTheKnownFoldersWithoutATrailingBackslash) {
    for (const int csidl : {26 /* application data */, 54 /* shared pictures */}) {
        const std::wstring folder = SpecialFolderPath(csidl);
        ASSERT_GT(folder.size(), 3u) << csidl;
        EXPECT_EQ(folder[1], L':') << csidl;
        EXPECT_NE(folder.back(), L'\\') << csidl;
        EXPECT_TRUE(IsFolder(folder)) << csidl;
    }
    EXPECT_NE(SpecialFolderPath(26), SpecialFolderPath(54));
}

TEST(SpecialFolderPath, IsEmptyForAFolderTheSystemDoesNotKnow) {
    EXPECT_TRUE(SpecialFolderPath(-1).empty());
    EXPECT_TRUE(SpecialFolderPath(0xFE).empty());
    // A creation flag from the caller is refused: the folder is never created here.
    EXPECT_TRUE(SpecialFolderPath(0x8000 | 26).empty());
}

TEST(ShortStringCodePage, IsASingleByteCodePage) {
    CPINFO info{};
    ASSERT_TRUE(GetCPInfo(ShortStringCodePage(), &info));
    EXPECT_EQ(info.MaxCharSize, 1u);
}

struct ToAnsiCase {
    std::wstring text;
    std::string bytes;
};

TEST(WideToAnsi, WritesWindows1252AndMarksWhatItLacks) {
    const ToAnsiCase cases[] = {
        {L"Salvar", "Salvar"},
        {L"Distribu\u00EDda 1-2", "Distribu\xED"
                                  "da 1-2"},
        {L"Fator de Ajuste \u20AC", "Fator de Ajuste \x80"},
        {L"a\u00E7\u00E3o", "a\xE7\xE3o"},
        // No look-alikes: a character the page lacks is a '?', not its nearest letter.
        {L"\u0101 \u03A9 \u4E2D", "? ? ?"},
        // One character outside the Basic Multilingual Plane is one '?', also when broken.
        {L"x\U0001F600y", "x?y"},
        {std::wstring(L"x") + wchar_t(0xD83D) + L"y", "x?y"},
        {std::wstring(L"x") + wchar_t(0xDE00), "x?"},
        {std::wstring(L"a\0b", 3), std::string("a\0b", 3)},
        {L"", ""},
    };
    for (const ToAnsiCase& c : cases) {
        EXPECT_EQ(WideToAnsi(c.text, 1252), c.bytes) << c.bytes;
    }
}

TEST(WideToAnsi, FollowsTheCodePageItIsGiven) {
    // Central European has a byte for the letter that Windows-1252 lacks.
    EXPECT_EQ(WideToAnsi(L"\u0142", 1250), "\xB3");
    EXPECT_EQ(WideToAnsi(L"\u0142", 1252), "?");
}

TEST(AnsiToWide, ReadsBackEveryDefinedByteOfWindows1252) {
    std::string bytes;
    for (int byte = 0x20; byte <= 0xFF; ++byte) {
        // 0x81, 0x8D, 0x8F, 0x90 and 0x9D have no character in Windows-1252.
        if (byte != 0x81 && byte != 0x8D && byte != 0x8F && byte != 0x90 && byte != 0x9D) {
            bytes.push_back(static_cast<char>(byte));
        }
    }
    const std::wstring text = AnsiToWide(bytes, 1252);
    EXPECT_EQ(text.size(), bytes.size());
    EXPECT_EQ(text.substr(0x80 - 0x20, 1), L"\u20AC");
    EXPECT_EQ(WideToAnsi(text, 1252), bytes);
    EXPECT_EQ(AnsiToWide(std::string("a\0\xE7", 3), 1252), std::wstring(L"a\0\u00E7", 3));
    EXPECT_TRUE(AnsiToWide("", 1252).empty());
}

} // namespace
} // namespace quorvel::win32
