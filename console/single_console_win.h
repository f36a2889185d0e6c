// One console per session. A second start finds the first through a named
// mutex of the session, shows it as F12 would, and ends without writing or
// adding anything. The console also learns when the taskbar is re-created,
// to add its icon again.
#pragma once

#include <windows.h>

#include <optional>

#include "platform/win32/win_handle.h"

namespace vh {

class SingleConsole {
public:
    // True when this process is the session's console and may start; false
    // when another one runs, which has then been asked to show itself.
    bool claim();

private:
    std::optional<WinHandle> mutex_;  // held for the life of the program
};

// Posted by a second start to the first console's window: show yourself.
UINT show_console_message();
// Broadcast by the shell when the taskbar has been created again (Explorer
// restarted): every icon of the notification area must be added anew.
UINT taskbar_created_message();

}  // namespace vh
