#include "win32_test_support.h"

#include <fstream>
#include <sstream>

namespace quorvel::win32::test {

namespace {

constexpr UINT kSettleMarker = WM_APP + 1;

std::wstring FolderOfThisProgram() {
    wchar_t path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path, length);
    return folder.substr(0, folder.find_last_of(L"\\/") + 1);
}

std::wstring SimulatorPath() {
    return FolderOfThisProgram() + L"strevia-switcher-sim.exe";
}

// Starts the simulator with `arguments`; its standard output goes to outputPath when given.
bool StartSimulator(const std::wstring& arguments, const std::wstring& outputPath,
                    PROCESS_INFORMATION& process) {
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    HANDLE output = INVALID_HANDLE_VALUE;
    if (!outputPath.empty()) {
        SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
        output = CreateFileW(outputPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                             &inherit, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (output == INVALID_HANDLE_VALUE) {
            return false;
        }
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = output;
        startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
        startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    }
    std::wstring commandLine = L"\"" + SimulatorPath() + L"\" " + arguments;
    const BOOL started = CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0,
                                        nullptr, nullptr, &startup, &process);
    if (output != INVALID_HANDLE_VALUE) {
        CloseHandle(output);
    }
    return started != FALSE;
}

} // namespace

bool PumpUntil(const std::function<bool()>& done) {
    const ULONGLONG deadline = GetTickCount64() + kWait_ms;
    for (;;) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        if (done()) {
            return true;
        }
        if (GetTickCount64() > deadline) {
            return false;
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

WindowOnThread::WindowOnThread(const wchar_t* windowClass, const wchar_t* title)
    : m_ready(CreateEventW(nullptr, FALSE, FALSE, nullptr))
    , m_settled(CreateEventW(nullptr, FALSE, FALSE, nullptr)) {
    m_thread = std::thread([this, windowClass, title] { Run(windowClass, title); });
    WaitForSingleObject(m_ready, kWait_ms);
}

WindowOnThread::~WindowOnThread() {
    if (m_window != nullptr) {
        PostMessageW(m_window, WM_CLOSE, 0, 0);
    } else {
        PostThreadMessageW(m_threadId, WM_QUIT, 0, 0);
    }
    m_thread.join();
    CloseHandle(m_ready);
    CloseHandle(m_settled);
}

void WindowOnThread::Run(const wchar_t* windowClass, const wchar_t* title) {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSW registration{};
    registration.lpfnWndProc = Procedure;
    registration.hInstance = instance;
    registration.lpszClassName = windowClass;
    RegisterClassW(&registration); // fails harmlessly when a sibling registered it already
    m_window = CreateWindowExW(0, windowClass, title, WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr,
                               nullptr, instance, nullptr);
    if (m_window != nullptr) {
        SetWindowLongPtrW(m_window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    // The thread's message queue exists once it asked for a message; make it exist now.
    MSG message;
    PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE);
    m_threadId = GetCurrentThreadId();
    SetEvent(m_ready);
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        DispatchMessageW(&message);
    }
}

LRESULT CALLBACK WindowOnThread::Procedure(HWND window, UINT message, WPARAM wParam,
                                           LPARAM lParam) {
    auto* self = reinterpret_cast<WindowOnThread*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self != nullptr && message >= 0xC000 && message <= 0xFFFF) {
        const std::lock_guard<std::mutex> hold(self->m_lock);
        self->m_log.push_back({message, wParam, lParam});
        return 0;
    }
    if (self != nullptr && message == kSettleMarker) {
        SetEvent(self->m_settled);
        return 0;
    }
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

std::vector<LoggedMessage> WindowOnThread::Settle() {
    if (m_window != nullptr && PostMessageW(m_window, kSettleMarker, 0, 0)) {
        WaitForSingleObject(m_settled, kWait_ms);
    }
    const std::lock_guard<std::mutex> hold(m_lock);
    return m_log;
}

Simulator::~Simulator() {
    Stop();
}

bool Simulator::Start() {
    wchar_t folder[MAX_PATH] = {};
    wchar_t file[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, folder);
    GetTempFileNameW(folder, L"sim", 0, file);
    m_outputPath = file;
    if (!StartSimulator(L"", m_outputPath, m_process)) {
        return false;
    }
    return PumpUntil([] { return FindSwitcherWindow() != nullptr; });
}

std::vector<std::string> Simulator::WaitForLines(std::size_t count) {
    std::vector<std::string> lines;
    PumpUntil([&] {
        lines.clear();
        std::ifstream output(m_outputPath.c_str());
        std::string line;
        while (std::getline(output, line)) {
            if (!line.empty() && line.back() == '\r') {
                line.pop_back();
            }
            lines.push_back(line);
        }
        return lines.size() >= count;
    });
    return lines;
}

void Simulator::Stop() {
    if (m_process.hProcess == nullptr) {
        return;
    }
    if (const HWND window = FindSwitcherWindow()) {
        PostMessageW(window, WM_CLOSE, 0, 0);
    }
    if (WaitForSingleObject(m_process.hProcess, kWait_ms) != WAIT_OBJECT_0) {
        TerminateProcess(m_process.hProcess, 1);
        WaitForSingleObject(m_process.hProcess, kWait_ms);
    }
    CloseHandle(m_process.hProcess);
    CloseHandle(m_process.hThread);
    m_process = {};
    DeleteFileW(m_outputPath.c_str());
}

int RunRestore(const std::wstring& arguments) {
    PROCESS_INFORMATION process{};
    if (!StartSimulator(L"--restore " + arguments, L"", process)) {
        return -1;
    }
    DWORD code = 0;
    // Pumped: a broadcast waits for nothing, but this thread's windows must stay responsive.
    const bool finished =
        PumpUntil([&] { return WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0; });
    if (!finished || GetExitCodeProcess(process.hProcess, &code) == FALSE) {
        TerminateProcess(process.hProcess, 1);
        code = static_cast<DWORD>(-1);
    }
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    return static_cast<int>(code);
}

std::string Decimal(HWND window) {
    return std::to_string(WindowIdFromHandle(window));
}

} // namespace quorvel::win32::test
