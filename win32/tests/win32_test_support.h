#pragma once
// Helpers of the tests under Wine: a message pump that waits for a condition, a hidden window on a
// thread of its own that logs what it receives, and the switcher simulator as a child process.

#include "link/switcher_messages_win32.h"

#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace quorvel::win32::test {

// Generous: the machine may be loaded. Only waits that end early on success use it.
inline constexpr DWORD kWait_ms = 15000;

// Handles this thread's messages until `done` holds or kWait_ms passed; returns `done()`.
bool PumpUntil(const std::function<bool()>& done);

struct LoggedMessage {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

// A hidden top-level window of the given class and title, served by a thread of its own as another
// program's window would be. It logs every message numbered from 0xC000 up (the registered ones).
class WindowOnThread {
public:
    WindowOnThread(const wchar_t* windowClass, const wchar_t* title);
    WindowOnThread(const WindowOnThread&) = delete;
    WindowOnThread& operator=(const WindowOnThread&) = delete;
    ~WindowOnThread();

    // Null when the window could not be made.
    HWND handle() const { return m_window; }
    // Returns once every message sent to the window before the call has been handled: a posted
    // marker comes after the sent messages waiting for the window's thread.
    std::vector<LoggedMessage> Settle();

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void Run(const wchar_t* windowClass, const wchar_t* title);

    std::thread m_thread;
    DWORD m_threadId = 0;
    HWND m_window = nullptr;
    HANDLE m_ready = nullptr;
    HANDLE m_settled = nullptr;
    std::mutex m_lock;
    std::vector<LoggedMessage> m_log; // under m_lock
};

// strevia-switcher-sim.exe from beside this test, with its output in a file.
class Simulator {
public:
    Simulator() = default;
    Simulator(const Simulator&) = delete;
    Simulator& operator=(const Simulator&) = delete;
    ~Simulator();

    // Starts it listening and waits until its window can be found.
    bool Start();
    // Waits until it printed at least `count` lines; returns all it printed.
    std::vector<std::string> WaitForLines(std::size_t count);
    void Stop();

private:
    PROCESS_INFORMATION m_process{};
    std::wstring m_outputPath;
};

// Runs "strevia-switcher-sim.exe --restore" with more arguments and returns its exit code, or -1.
int RunRestore(const std::wstring& arguments);

std::string Decimal(HWND window);

} // namespace quorvel::win32::test
