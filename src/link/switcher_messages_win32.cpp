#include "link/switcher_messages_win32.h"

#include "link/link_codes.h"

namespace quorvel::win32 {

SwitcherMessages RegisterSwitcherMessages() {
    return {RegisterWindowMessageW(kQuorvelMessageName),
            RegisterWindowMessageW(kStreviaControlMessageName)};
}

HWND FindSwitcherWindow() {
    return FindWindowW(kSwitcherWindowClass, kSwitcherWindowTitle);
}

bool SendToSwitcher(const SwitcherMessages& messages, HWND sender, std::int32_t code) {
    if (messages.streviaControl == 0) {
        return false;
    }
    const HWND switcher = FindSwitcherWindow();
    if (switcher == nullptr) {
        return false;
    }
    const auto wParam = reinterpret_cast<WPARAM>(sender);
    const auto lParam = static_cast<LPARAM>(code); // LPARAM is signed: the sign carries over
    return SendNotifyMessageW(switcher, messages.streviaControl, wParam, lParam) != FALSE;
}

DesignerMessage ClassifyDesignerMessage(const SwitcherMessages& messages, HWND designer,
                                        const MSG& message) {
    if (message.hwnd != designer || designer == nullptr) {
        return DesignerMessage::Other;
    }
    if (message.message == WM_SYSCOMMAND) {
        // The system keeps its own flags in the low four bits of the command.
        return (message.wParam & 0xFFF0) == SC_MINIMIZE ? DesignerMessage::MinimiseCommand
                                                        : DesignerMessage::Other;
    }
    if (messages.quorvel == 0 || message.message != messages.quorvel) {
        return DesignerMessage::Other;
    }
    // A notice from the designer itself is never acted on.
    if (reinterpret_cast<HWND>(message.wParam) == designer) {
        return DesignerMessage::IgnoredRequest;
    }
    return QuorvelInfo(message.lParam) == kRestoreInfo ? DesignerMessage::RestoreRequest
                                                       : DesignerMessage::IgnoredRequest;
}

std::int32_t QuorvelInfo(LPARAM lParam) {
    return static_cast<std::int32_t>(
        static_cast<std::uint32_t>(static_cast<std::uint64_t>(lParam) & 0xFFFFFFFFu));
}

HWND HandleFromWindowId(std::uint64_t windowId) {
    return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(windowId));
}

std::uint64_t WindowIdFromHandle(HWND window) {
    return static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(window));
}

} // namespace quorvel::win32
