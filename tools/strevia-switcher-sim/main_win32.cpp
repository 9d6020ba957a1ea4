// strevia-switcher-sim on Windows: a hidden window with the switcher's class and title that prints
// every "StreviaControl Message" on its own line, or with --restore a "Quorvel Message" to the
// designer. Plain Win32 with no Qt, so that it also builds with mingw for the tests under Wine.

#include "notice_format.h"

#include "link/link_codes.h"
#include "link/switcher_messages_win32.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>

namespace {

using quorvel::win32::SwitcherMessages;

SwitcherMessages g_messages;
DWORD g_mainThread = 0;

LRESULT CALLBACK SwitcherWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != 0 && message == g_messages.streviaControl) {
        const std::string line = quorvel::sim::DescribeNotice(
            static_cast<std::int64_t>(lParam),
            quorvel::win32::WindowIdFromHandle(reinterpret_cast<HWND>(wParam)));
        std::printf("%s\n", line.c_str());
        std::fflush(stdout);
        return 0;
    }
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

BOOL WINAPI OnConsoleControl(DWORD) {
    PostThreadMessageW(g_mainThread, WM_QUIT, 0, 0);
    return TRUE;
}

int Listen() {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = SwitcherWindowProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = quorvel::win32::kSwitcherWindowClass;
    if (RegisterClassW(&windowClass) == 0) {
        std::fprintf(stderr, "strevia-switcher-sim: cannot register the window class\n");
        return 1;
    }
    if (quorvel::win32::FindSwitcherWindow() != nullptr) {
        std::fprintf(stderr, "strevia-switcher-sim: a switcher window exists already\n");
        return 1;
    }
    // Top-level and hidden: FindWindowW finds it, the desktop shows nothing.
    const HWND window =
        CreateWindowExW(0, quorvel::win32::kSwitcherWindowClass,
                        quorvel::win32::kSwitcherWindowTitle, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                        CW_USEDEFAULT, 320, 200, nullptr, nullptr, instance, nullptr);
    if (window == nullptr) {
        std::fprintf(stderr, "strevia-switcher-sim: cannot create the switcher window\n");
        return 1;
    }
    g_mainThread = GetCurrentThreadId();
    SetConsoleCtrlHandler(OnConsoleControl, TRUE);
    std::fprintf(stderr,
                 "strevia-switcher-sim: listening as window %llu (Ctrl+C or closing it ends)\n",
                 static_cast<unsigned long long>(quorvel::win32::WindowIdFromHandle(window)));
    std::fflush(stderr);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}

int SendRestore(std::uint64_t target, std::uint64_t sender, std::int64_t info) {
    // Without a target the request goes to every top-level window, as the switcher may send it.
    const HWND to = target != 0 ? quorvel::win32::HandleFromWindowId(target) : HWND_BROADCAST;
    if (SendNotifyMessageW(to, g_messages.quorvel,
                           reinterpret_cast<WPARAM>(quorvel::win32::HandleFromWindowId(sender)),
                           static_cast<LPARAM>(info)) == FALSE) {
        std::fprintf(stderr, "strevia-switcher-sim: the restore request could not be sent\n");
        return 1;
    }
    return 0;
}

std::optional<long long> WholeNumber(const char* text) {
    char* end = nullptr;
    const long long value = std::strtoll(text, &end, 10);
    if (end == text || *end != '\0') {
        return std::nullopt;
    }
    return value;
}

void PrintUsage() {
    std::printf("Usage: strevia-switcher-sim [--restore [--info n] [--sender id] [--to id]]\n"
                "Stands in for the Strevia Switcher: prints every notice from the designer, one "
                "per line,\nor with --restore sends the designer a restore request (info 1 unless "
                "--info says\notherwise; to every top-level window unless --to names one).\n");
}

} // namespace

int main(int argc, char* argv[]) {
    bool restore = false;
    long long info = quorvel::kRestoreInfo;
    long long sender = 0;
    long long target = 0;
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        long long* value = option == "--info"     ? &info
                           : option == "--sender" ? &sender
                           : option == "--to"     ? &target
                                                  : nullptr;
        if (option == "--restore") {
            restore = true;
        } else if (option == "--help" || option == "-h") {
            PrintUsage();
            return 0;
        } else if (value != nullptr && i + 1 < argc && WholeNumber(argv[i + 1])) {
            *value = *WholeNumber(argv[++i]);
        } else {
            std::fprintf(stderr, "strevia-switcher-sim: unknown or incomplete option %s\n",
                         option.c_str());
            PrintUsage();
            return 2;
        }
    }
    g_messages = quorvel::win32::RegisterSwitcherMessages();
    if (g_messages.quorvel == 0 || g_messages.streviaControl == 0) {
        std::fprintf(stderr, "strevia-switcher-sim: cannot register the window messages\n");
        return 1;
    }
    return restore ? SendRestore(static_cast<std::uint64_t>(target),
                                 static_cast<std::uint64_t>(sender), info)
                   : Listen();
}
