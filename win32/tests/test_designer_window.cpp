// The designer's side of the link under Wine, against the real strevia-switcher-sim.exe: a plain
// window whose procedure does what the link's native event filter and the designer window do
// together on Windows (switcher_link_win32.cpp and the window's restore).

#include "notice_format.h"
#include "win32_test_support.h"

#include "link/link_codes.h"

#include <gtest/gtest.h>

namespace quorvel::win32 {
namespace {

using test::Decimal;
using test::PumpUntil;
using test::RunRestore;
using test::Simulator;

class DesignerWindow {
public:
    DesignerWindow()
        : m_messages(RegisterSwitcherMessages()) {
        WNDCLASSW registration{};
        registration.lpfnWndProc = Procedure;
        registration.hInstance = GetModuleHandleW(nullptr);
        registration.lpszClassName = L"TfrmQuorvel";
        RegisterClassW(&registration);
        m_window = CreateWindowExW(0, L"TfrmQuorvel", L"Quorvel", WS_OVERLAPPEDWINDOW, 40, 30, 640,
                                   480, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        SetWindowLongPtrW(m_window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        ShowWindow(m_window, SW_SHOWNORMAL);
    }
    DesignerWindow(const DesignerWindow&) = delete;
    DesignerWindow& operator=(const DesignerWindow&) = delete;
    ~DesignerWindow() { DestroyWindow(m_window); }

    HWND handle() const { return m_window; }
    int requestsSeen() const { return m_requestsSeen; }

    // "Salvar" after the template file was written.
    bool NotifyTemplateSaved(std::int32_t slot, std::int32_t pickerIndex) {
        const auto code = SavedTemplateCode(slot, pickerIndex);
        return code && SendToSwitcher(m_messages, m_window, *code);
    }

    // The minimise button: the system sends the window this command.
    void PressMinimise() { SendMessageW(m_window, WM_SYSCOMMAND, SC_MINIMIZE, 0); }

    RECT Placement() const {
        WINDOWPLACEMENT placement{};
        placement.length = sizeof(placement);
        GetWindowPlacement(m_window, &placement);
        return placement.rcNormalPosition;
    }

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        auto* self = reinterpret_cast<DesignerWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (self == nullptr) {
            return DefWindowProcW(window, message, wParam, lParam);
        }
        const MSG received{window, message, wParam, lParam, 0, {}};
        switch (ClassifyDesignerMessage(self->m_messages, window, received)) {
        case DesignerMessage::MinimiseCommand:
            // A running switcher is told and the window stays; otherwise it minimises as usual.
            if (FindSwitcherWindow() != nullptr &&
                SendToSwitcher(self->m_messages, window, kMinimiseRequestCode)) {
                return 0;
            }
            break;
        case DesignerMessage::RestoreRequest:
            ++self->m_requestsSeen;
            if (IsIconic(window)) {
                ShowWindow(window, SW_RESTORE);
            }
            return 0;
        case DesignerMessage::IgnoredRequest:
            ++self->m_requestsSeen;
            return 0;
        case DesignerMessage::Other:
            break;
        }
        return DefWindowProcW(window, message, wParam, lParam);
    }

    SwitcherMessages m_messages;
    HWND m_window = nullptr;
    int m_requestsSeen = 0;
};

bool SameRect(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

TEST(DesignerWindowUnderWine, SavingSlot4WithPicker12ReachesTheSimulatorWithTheHandle) {
    Simulator simulator;
    ASSERT_TRUE(simulator.Start());
    DesignerWindow designer;

    EXPECT_TRUE(designer.NotifyTemplateSaved(4, 12));
    EXPECT_FALSE(designer.NotifyTemplateSaved(4, -1));
    EXPECT_TRUE(designer.NotifyTemplateSaved(1, 0));

    const std::vector<std::string> expected{
        "saved slot=4 picker=12 code=1000412 from=" + Decimal(designer.handle()),
        "saved slot=1 picker=0 code=1000100 from=" + Decimal(designer.handle()),
    };
    EXPECT_EQ(simulator.WaitForLines(expected.size()), expected);
}

TEST(DesignerWindowUnderWine, MinimiseWithTheSwitcherRunningIsSentAndTheWindowStays) {
    Simulator simulator;
    ASSERT_TRUE(simulator.Start());
    DesignerWindow designer;
    const RECT before = designer.Placement();

    designer.PressMinimise();

    EXPECT_EQ(simulator.WaitForLines(1),
              std::vector<std::string>{"minimise-request from=" + Decimal(designer.handle())});
    EXPECT_FALSE(IsIconic(designer.handle()));
    EXPECT_TRUE(SameRect(designer.Placement(), before));
}

TEST(DesignerWindowUnderWine, MinimiseWithoutTheSwitcherMinimises) {
    DesignerWindow designer;
    ASSERT_EQ(FindSwitcherWindow(), nullptr);
    designer.PressMinimise();
    EXPECT_TRUE(PumpUntil([&] { return IsIconic(designer.handle()) != FALSE; }));
}

TEST(DesignerWindowUnderWine, RestoreRequestRestoresAMinimisedWindow) {
    DesignerWindow designer;
    const RECT before = designer.Placement();
    designer.PressMinimise();
    ASSERT_TRUE(PumpUntil([&] { return IsIconic(designer.handle()) != FALSE; }));

    ASSERT_EQ(RunRestore(L""), 0);

    EXPECT_TRUE(PumpUntil([&] { return designer.requestsSeen() == 1; }));
    EXPECT_FALSE(IsIconic(designer.handle()));
    EXPECT_TRUE(IsWindowVisible(designer.handle()));
    EXPECT_TRUE(SameRect(designer.Placement(), before));
}

TEST(DesignerWindowUnderWine, RestoreRequestLeavesANormalWindowAlone) {
    DesignerWindow designer;
    const RECT before = designer.Placement();

    ASSERT_EQ(RunRestore(L"--to " + std::to_wstring(WindowIdFromHandle(designer.handle()))), 0);

    EXPECT_TRUE(PumpUntil([&] { return designer.requestsSeen() == 1; }));
    EXPECT_FALSE(IsIconic(designer.handle()));
    EXPECT_FALSE(IsZoomed(designer.handle()));
    EXPECT_TRUE(SameRect(designer.Placement(), before));
}

TEST(DesignerWindowUnderWine, InfoTwoOrTheDesignersOwnHandleChangesNothing) {
    DesignerWindow designer;
    designer.PressMinimise();
    ASSERT_TRUE(PumpUntil([&] { return IsIconic(designer.handle()) != FALSE; }));

    ASSERT_EQ(RunRestore(L"--info 2"), 0);
    ASSERT_EQ(RunRestore(L"--sender " + std::to_wstring(WindowIdFromHandle(designer.handle()))), 0);

    EXPECT_TRUE(PumpUntil([&] { return designer.requestsSeen() == 2; }));
    EXPECT_TRUE(IsIconic(designer.handle()));
}

} // namespace
} // namespace quorvel::win32
