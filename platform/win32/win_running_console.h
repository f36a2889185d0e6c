// The console's windows in this session, found by their class: the
// uninstaller closes them; a second start of the console shows the first.
#pragma once

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "platform/running_console.h"
#include "platform/win32/win_handle.h"

namespace vh {

// Top-level windows of the console's class on this desktop, hidden or not.
// Windows of other sessions are on other desktops and never listed.
std::vector<HWND> console_windows(const std::string& window_class);

class WinRunningConsole : public RunningConsole {
public:
    explicit WinRunningConsole(std::string window_class) : class_(std::move(window_class)) {}
    bool find() override;
    // Posts WM_CLOSE: the console's unload writes its settings and removes
    // its icon, then the program ends.
    void ask_to_close() override;
    // Until every process found has ended and no console window is left.
    bool wait_until_ended(int milliseconds) override;

private:
    std::string class_;
    std::vector<HWND> windows_;
    std::vector<WinHandle> processes_;
};

}  // namespace vh
