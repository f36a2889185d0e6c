#include "console/close_request_win.h"

#include "console/waiting_thread_win.h"
#include "platform/win32/console_close_event.h"

namespace vh {

bool CloseRequest::listen() {
    event_ = create_console_close_event();
    return static_cast<bool>(event_);
}

void CloseRequest::answer(HWND window) {
    answered_ = true;
    PostMessageW(window, close_request_message, 0, 0);
}

void register_console_restart() {
    RegisterApplicationRestart(nullptr, console_restart_flags);
}

}  // namespace vh
