#include "platform/win32/win_running_console.h"

#include "platform/win32/wide.h"

namespace vh {

namespace {

struct Search {
    std::wstring wanted;
    std::vector<HWND> found;
};

BOOL CALLBACK collect_console(HWND window, LPARAM search_address) {
    auto& search = *reinterpret_cast<Search*>(search_address);
    wchar_t klass[64] = {};
    if (GetClassNameW(window, klass, 64) && search.wanted == klass) search.found.push_back(window);
    return TRUE;
}

}  // namespace

std::vector<HWND> console_windows(const std::string& window_class) {
    Search search{to_wide(window_class), {}};
    EnumWindows(collect_console, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

bool WinRunningConsole::find() {
    windows_ = console_windows(class_);
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
        if (ended && console_windows(class_).empty()) return true;
        if (GetTickCount() - start >= static_cast<DWORD>(milliseconds)) return false;
        Sleep(50);
    }
}

}  // namespace vh
