#include "console/close_request_win.h"

#include "platform/win32/console_close_event.h"

namespace vh {

CloseRequest::~CloseRequest() {
    // Waits for a callback under way, which only posts a message.
    if (wait_) UnregisterWaitEx(wait_, INVALID_HANDLE_VALUE);
}

bool CloseRequest::listen(HWND window) {
    event_ = create_console_close_event();
    if (!event_) return false;
    return RegisterWaitForSingleObject(&wait_, event_.get(), &CloseRequest::on_request, window,
                                       INFINITE, WT_EXECUTEONLYONCE) != 0;
}

// Runs on a thread of the pool: the window's own thread does the unload.
void CALLBACK CloseRequest::on_request(void* window, BOOLEAN) {
    PostMessageW(static_cast<HWND>(window), WM_CLOSE, 0, 0);
}

void register_console_restart() {
    RegisterApplicationRestart(nullptr, console_restart_flags);
}

}  // namespace vh
