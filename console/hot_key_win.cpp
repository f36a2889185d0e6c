#include "console/hot_key_win.h"

namespace vh {

namespace {

constexpr int f12_id = 1;  // applications number their hot keys from 0 to 0xBFFF

}  // namespace

bool F12HotKey::register_for(HWND window) {
    release();
    // MOD_NOREPEAT: a held key sends one message, not one per auto-repeat.
    // Windows before 7 refuses the flag as an invalid parameter; there the
    // key is registered without it.
    BOOL registered = RegisterHotKey(window, f12_id, MOD_NOREPEAT, VK_F12);
    if (!registered && GetLastError() == ERROR_INVALID_PARAMETER)
        registered = RegisterHotKey(window, f12_id, 0, VK_F12);
    if (registered) window_ = window;
    return registered != FALSE;
}

void F12HotKey::release() {
    if (window_) UnregisterHotKey(window_, f12_id);
    window_ = nullptr;
}

bool F12HotKey::is_this(WPARAM hot_key_id) {
    return hot_key_id == static_cast<WPARAM>(f12_id);
}

bool take_foreground(HWND window) {
    if (SetForegroundWindow(window) && GetForegroundWindow() == window) return true;
    // Refused by the foreground lock. A thread whose input is attached to the
    // foreground thread's shares its input queue, the foreground queue, and
    // may then hand the foreground on. This fails where the program in front
    // runs with more rights (an elevated one), has locked the foreground,
    // or shows a menu.
    HWND front = GetForegroundWindow();
    const DWORD front_thread = front ? GetWindowThreadProcessId(front, nullptr) : 0;
    const DWORD own_thread = GetCurrentThreadId();
    if (!front_thread || front_thread == own_thread) return GetForegroundWindow() == window;
    if (!AttachThreadInput(own_thread, front_thread, TRUE)) return false;
    BringWindowToTop(window);
    SetForegroundWindow(window);
    AttachThreadInput(own_thread, front_thread, FALSE);
    return GetForegroundWindow() == window;
}

}  // namespace vh
