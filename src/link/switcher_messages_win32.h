#pragma once
// The registered window messages between the designer and the switcher on Windows. Plain Win32
// with no Qt, so that it builds with mingw and its tests run under Wine; the Qt side of the link
// (switcher_link_win32.cpp) and the switcher simulator use it.

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <cstdint>

namespace quorvel::win32 {

inline constexpr wchar_t kQuorvelMessageName[] = L"Quorvel Message"; // to the designer
inline constexpr wchar_t kStreviaControlMessageName[] =
    L"StreviaControl Message"; // to the switcher
inline constexpr wchar_t kSwitcherWindowClass[] = L"TFormPlayerPreview";
inline constexpr wchar_t kSwitcherWindowTitle[] = L"Korvane - Strevia Switcher";

// Both numbers, the same in every program that registers the names (0xC000 to 0xFFFF; 0 when the
// registration failed, which no message carries).
struct SwitcherMessages {
    UINT quorvel = 0;
    UINT streviaControl = 0;
};
SwitcherMessages RegisterSwitcherMessages();

// The switcher's main window: class kSwitcherWindowClass and title kSwitcherWindowTitle, both
// exactly. Looked up afresh for every use, never kept.
HWND FindSwitcherWindow();

// Looks the switcher up and sends it "StreviaControl Message" without waiting for it to be handled
// (WPARAM the sender window, LPARAM the code widened with its sign). False when no switcher window
// exists or the send failed; nothing is repeated.
bool SendToSwitcher(const SwitcherMessages& messages, HWND sender, std::int32_t code);

// What the designer window makes of one message that reached it.
enum class DesignerMessage {
    Other,           // not the link's: the window handles it as usual
    MinimiseCommand, // WM_SYSCOMMAND whose command (low four bits cleared) is SC_MINIMIZE
    RestoreRequest,  // "Quorvel Message" with Info kRestoreInfo from another window
    IgnoredRequest,  // any other "Quorvel Message": taken, nothing done, result 0
};
DesignerMessage ClassifyDesignerMessage(const SwitcherMessages& messages, HWND designer,
                                        const MSG& message);

// The request of a "Quorvel Message": the low 32 bits of its LPARAM.
std::int32_t QuorvelInfo(LPARAM lParam);

// The window handle behind a Qt winId() and back.
HWND HandleFromWindowId(std::uint64_t windowId);
std::uint64_t WindowIdFromHandle(HWND window);

} // namespace quorvel::win32
