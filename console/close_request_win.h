// The console's ends that come from outside its own session's window: an
// installer of any session, LocalSystem's included, sets the console's
// close event, and the console ends as "Выход" ends it; and the console's
// registration with Windows for a restart after an update that closed it.
#pragma once

#include <windows.h>

#include "platform/win32/win_handle.h"

namespace vh {

// The event is waited for by the console's waiting thread, which answers
// it whatever loop the window's thread is in; where that thread could not
// be had, by the window's own message loop, beside its messages.
class CloseRequest {
public:
    // Creates this console's close event; false when there is none to
    // listen to.
    bool listen();
    // The event to wait for until it has been set once; null afterwards,
    // or when there is none.
    HANDLE event() const { return answered_ ? nullptr : event_.get(); }
    // The waiting thread answers the event: the message loop does not wait for it.
    void leave_to_thread() { answered_ = true; }
    // The event was set: the window is asked to close; its unload writes
    // the settings and removes the icon before the program ends.
    void answer(HWND window);

private:
    WinHandle event_;
    bool answered_ = false;
};

// The flags the console registers for a restart with: only after an
// update's installer closed it. A crash or a hang is not answered by a
// restart, and after a reboot the Run value starts it at log-on.
inline constexpr DWORD console_restart_flags = RESTART_NO_CRASH | RESTART_NO_HANG | RESTART_NO_REBOOT;

// Registers the running console with Windows, so that an installer that
// closes it through the Restart Manager starts it again, as at log-on,
// without arguments.
void register_console_restart();

}  // namespace vh
