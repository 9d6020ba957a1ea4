// The link's window messages under Wine, in one process: a hidden window on a thread of its own
// plays the switcher's window, as another program's window would be served.

#include "win32_test_support.h"

#include "link/link_codes.h"

#include <gtest/gtest.h>

namespace quorvel::win32 {
namespace {

using test::LoggedMessage;
using test::WindowOnThread;

// Any top-level window serves as the designer's handle: only its value travels.
class DesignerHandle {
public:
    DesignerHandle()
        : m_window(CreateWindowExW(0, L"STATIC", L"Quorvel", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100,
                                   nullptr, nullptr, GetModuleHandleW(nullptr), nullptr)) {}
    ~DesignerHandle() { DestroyWindow(m_window); }
    HWND get() const { return m_window; }

private:
    HWND m_window;
};

TEST(SwitcherMessages, AreRegisteredNumbersTheSameForEveryone) {
    const SwitcherMessages first = RegisterSwitcherMessages();
    const SwitcherMessages again = RegisterSwitcherMessages();
    EXPECT_GE(first.quorvel, 0xC000u);
    EXPECT_GE(first.streviaControl, 0xC000u);
    EXPECT_LE(first.quorvel, 0xFFFFu);
    EXPECT_LE(first.streviaControl, 0xFFFFu);
    EXPECT_NE(first.quorvel, first.streviaControl);
    EXPECT_EQ(again.quorvel, first.quorvel);
    EXPECT_EQ(again.streviaControl, first.streviaControl);
    EXPECT_EQ(first.quorvel, RegisterWindowMessageW(L"Quorvel Message"));
}

TEST(SwitcherMessages, TheSwitcherWindowGetsEachCodeWithTheDesignerHandle) {
    const SwitcherMessages messages = RegisterSwitcherMessages();
    const DesignerHandle designer;
    WindowOnThread switcher(kSwitcherWindowClass, kSwitcherWindowTitle);
    ASSERT_NE(switcher.handle(), nullptr);
    ASSERT_EQ(FindSwitcherWindow(), switcher.handle());

    const std::int32_t codes[] = {*SavedTemplateCode(4, 12), kMinimiseRequestCode, -5};
    for (const std::int32_t code : codes) {
        EXPECT_TRUE(SendToSwitcher(messages, designer.get(), code)) << code;
    }

    const std::vector<LoggedMessage> received = switcher.Settle();
    ASSERT_EQ(received.size(), std::size(codes));
    for (std::size_t i = 0; i < received.size(); ++i) {
        EXPECT_EQ(received[i].message, messages.streviaControl);
        EXPECT_EQ(reinterpret_cast<HWND>(received[i].wParam), designer.get());
        // The code is widened with its sign: -5 arrives as a 64-bit -5, not 4294967291.
        EXPECT_EQ(static_cast<std::int64_t>(received[i].lParam), codes[i]);
    }
}

TEST(SwitcherMessages, AWindowOfTheSwitchersClassWithAnotherTitleIsNotTheSwitcher) {
    const SwitcherMessages messages = RegisterSwitcherMessages();
    const DesignerHandle designer;
    WindowOnThread impostor(kSwitcherWindowClass, L"Korvane - Strevia Switcher (backup)");
    WindowOnThread otherClass(L"TFormPlayerPreviewOther", kSwitcherWindowTitle);
    ASSERT_NE(impostor.handle(), nullptr);
    ASSERT_NE(otherClass.handle(), nullptr);

    EXPECT_EQ(FindSwitcherWindow(), nullptr);
    EXPECT_FALSE(SendToSwitcher(messages, designer.get(), *SavedTemplateCode(4, 12)));
    EXPECT_FALSE(SendToSwitcher(messages, designer.get(), kMinimiseRequestCode));
    EXPECT_TRUE(impostor.Settle().empty());
    EXPECT_TRUE(otherClass.Settle().empty());
}

TEST(SwitcherMessages, WithoutASwitcherNothingIsSent) {
    const DesignerHandle designer;
    EXPECT_EQ(FindSwitcherWindow(), nullptr);
    EXPECT_FALSE(SendToSwitcher(RegisterSwitcherMessages(), designer.get(), kMinimiseRequestCode));
}

struct ClassifyCase {
    const char* what;
    bool toDesigner;
    bool quorvelMessage; // otherwise WM_SYSCOMMAND
    bool fromDesigner;
    WPARAM command;
    LPARAM lParam;
    DesignerMessage expected;
};

TEST(DesignerMessages, AreTakenOnlyWhenTheyAreTheLinks) {
    const ClassifyCase cases[] = {
        {"minimise", true, false, false, SC_MINIMIZE, 0, DesignerMessage::MinimiseCommand},
        {"minimise with the system's low bits", true, false, false, 0xF022, 0,
         DesignerMessage::MinimiseCommand},
        {"maximise", true, false, false, SC_MAXIMIZE, 0, DesignerMessage::Other},
        {"restore command", true, false, false, SC_RESTORE, 0, DesignerMessage::Other},
        {"close", true, false, false, SC_CLOSE, 0, DesignerMessage::Other},
        {"minimise of another window", false, false, false, SC_MINIMIZE, 0, DesignerMessage::Other},
        {"info 1", true, true, false, 0, 1, DesignerMessage::RestoreRequest},
        {"info 1 in the low 32 bits", true, true, false, 0, static_cast<LPARAM>(0x100000001LL),
         DesignerMessage::RestoreRequest},
        {"info 2", true, true, false, 0, 2, DesignerMessage::IgnoredRequest},
        {"info 0", true, true, false, 0, 0, DesignerMessage::IgnoredRequest},
        {"info -1", true, true, false, 0, -1, DesignerMessage::IgnoredRequest},
        {"info 1 from the designer itself", true, true, true, 0, 1,
         DesignerMessage::IgnoredRequest},
        {"info 1 to another window", false, true, false, 0, 1, DesignerMessage::Other},
    };
    const SwitcherMessages messages = RegisterSwitcherMessages();
    const DesignerHandle designer;
    const DesignerHandle switcher;
    const DesignerHandle another;
    for (const ClassifyCase& c : cases) {
        MSG message{};
        message.hwnd = c.toDesigner ? designer.get() : another.get();
        message.message = c.quorvelMessage ? messages.quorvel : WM_SYSCOMMAND;
        message.wParam =
            c.quorvelMessage
                ? reinterpret_cast<WPARAM>(c.fromDesigner ? designer.get() : switcher.get())
                : c.command;
        message.lParam = c.lParam;
        EXPECT_EQ(ClassifyDesignerMessage(messages, designer.get(), message), c.expected) << c.what;
    }
    MSG unrelated{designer.get(), WM_USER + 7, 0, 1, 0, {}};
    EXPECT_EQ(ClassifyDesignerMessage(messages, designer.get(), unrelated), DesignerMessage::Other);
}

} // namespace
} // namespace quorvel::win32
