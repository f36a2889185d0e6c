#include "console/single_console_win.h"

#include "platform/win32/win_running_console.h"
#include "shared/product.h"

namespace vh {

namespace {

// "Local\": the session's own namespace, so that a console of another user
// session is neither found nor disturbed.
constexpr wchar_t mutex_name[] = L"Local\\VarnholdeConsole";
constexpr DWORD first_console_wait_ms = 5000;

// Asks the first console to show itself, letting it take the foreground
// that this start (made by the user) may give away.
bool show_first_console() {
    const std::vector<HWND> windows = console_windows(product::console_window_class);
    if (windows.empty()) return false;
    DWORD id = 0;
    GetWindowThreadProcessId(windows.front(), &id);
    AllowSetForegroundWindow(id);
    PostMessageW(windows.front(), show_console_message(), 0, 0);
    return true;
}

}  // namespace

bool SingleConsole::claim() {
    mutex_.emplace(CreateMutexW(nullptr, TRUE, mutex_name));
    if (!*mutex_) return true;  // no way to tell: start as the only one
    if (GetLastError() != ERROR_ALREADY_EXISTS) return true;
    // Another console holds it. It may still be creating its window, or be
    // ending: wait for its window, or for it to let go of the mutex.
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < first_console_wait_ms) {
        if (show_first_console()) return false;
        const DWORD waited = WaitForSingleObject(mutex_->get(), 100);
        if (waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED) return true;
    }
    return false;
}

UINT show_console_message() {
    static const UINT message = RegisterWindowMessageW(L"VarnholdeShowConsole");
    return message;
}

UINT taskbar_created_message() {
    static const UINT message = RegisterWindowMessageW(L"TaskbarCreated");
    return message;
}

}  // namespace vh
