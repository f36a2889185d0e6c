#include "platform/win32/win_running_console.h"

#include "platform/win32/wide.h"

namespace vh {

namespace {

BOOL CALLBACK collect_console(HWND window, LPARAM found) {
    static const std::wstring wanted = to_wide(console_window_class);
    wchar_t klass[64] = {};
    if (GetClassNameW(window, klass, 64) && wanted == klass)
        reinterpret_cast<std::vector<HWND>*>(found)->push_back(window);
    return TRUE;
}

}  // namespace

std::vector<HWND> console_windows() {
    std::vector<HWND> found;
    EnumWindows(collect_console, reinterpret_cast<LPARAM>(&found));
    return found;
}

bool WinRunningConsole::find() {
    windows_ = console_windows();
    processes_.clear();
    for (HWND window : windows_) {
        DWORD id = 0;
        GetWindowThreadProcessId(window, &id);
        if (WinHandle process{OpenProcess(SYNCHRONIZE, FALSE, id)})
            processes_.push_back(std::move(process));
    }
    return !windows_.empty();
}

void WinRunningConsole::ask_to_close() {
    for (HWND window : windows_) PostMessageW(window, WM_CLOSE, 0, 0);
}

// The program file stays in use until the process has ended, not merely
// its window: both are waited for.
bool WinRunningConsole::wait_until_ended(int milliseconds) {
    const DWORD start = GetTickCount();
    for (;;) {
        bool ended = true;
        for (const WinHandle& process : processes_)
            if (WaitForSingleObject(process.get(), 0) == WAIT_TIMEOUT) ended = false;
        if (ended && console_windows().empty()) return true;
        if (GetTickCount() - start >= static_cast<DWORD>(milliseconds)) return false;
        Sleep(50);
    }
}

}  // namespace vh
