// The console's one thread beside the window's: it waits, and does nothing
// else. It holds the F12 keyboard hook, where F12 is taken that way, and
// listens for an installer's close request, so that both are answered
// whatever loop the window's thread is in (the icon's menu, a shell start).
#pragma once

#include <windows.h>

#include "platform/win32/win_handle.h"

namespace vh {

// Posted to the window when the close event is set. The window ends an
// open menu before it closes: only the thread that owns a menu can end it.
inline constexpr UINT close_request_message = WM_APP + 2;

// A thread message to the waiting thread: it removes its hook and tells
// nobody, as Windows removes a hook that answered too late. The end-to-end
// tests show by it that the console installs the hook again.
inline constexpr UINT drop_hook_message = WM_APP + 4;

class WaitingThread {
public:
    WaitingThread() = default;
    WaitingThread(const WaitingThread&) = delete;
    WaitingThread& operator=(const WaitingThread&) = delete;
    ~WaitingThread() { stop(); }

    // Starts the thread for the window. close_event: null where there is
    // none; with_hook: it installs the F12 hook, which posts press_message.
    // False when no thread runs: nothing to wait for, or Windows refused
    // the thread, or the hook with no close event to wait for beside it.
    bool start(HWND window, HANDLE close_event, bool with_hook, UINT press_message);
    // Whether the hook was installed at start.
    bool hooked() const { return hooked_; }
    // Whether the thread answers the close event.
    bool listens() const { return listens_; }
    // Removes the hook, if Windows has not, and installs it again.
    void install_hook_again(bool key_held);
    void stop();

private:
    WinHandle thread_;
    DWORD thread_id_ = 0;
    bool hooked_ = false;
    bool listens_ = false;
};

}  // namespace vh
