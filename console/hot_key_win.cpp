#include "console/hot_key_win.h"

#include <atomic>

namespace vh {

namespace {

constexpr int f12_id = 1;  // applications number their hot keys from 0 to 0xBFFF

// The hook's target and its memory of F12, set and read on the waiting
// thread only; its counts, read by the window's watch too.
HWND hook_window = nullptr;
UINT hook_message = 0;
F12Presses hook_presses;
std::atomic<std::uint32_t> hook_acted{0}, hook_passed{0};

bool modifier_held() {
    for (int key : {VK_SHIFT, VK_CONTROL, VK_MENU, VK_LWIN, VK_RWIN})
        if (GetAsyncKeyState(key) & 0x8000) return true;
    return false;
}

// Called for every key of the desktop: it decides on F12 alone, posts and
// returns, and hands every other key on at once. Injected keys (remote
// control tools, on-screen keyboards) count like typed ones.
LRESULT CALLBACK keyboard_hook(int code, WPARAM w, LPARAM l) {
    if (code == HC_ACTION) {
        const auto* key = reinterpret_cast<const KBDLLHOOKSTRUCT*>(l);
        if (key->vkCode == VK_F12) {
            const bool up = (key->flags & LLKHF_UP) != 0;
            const HookedKey hooked = hook_presses.on_key(up, modifier_held(), key->time);
            // Counted before the key state can show the press (after return).
            if (hooked.act) ++hook_acted;
            if (!hooked.consume && !up) ++hook_passed;
            if (hooked.act) PostMessageW(hook_window, hook_message, 0, static_cast<LPARAM>(key->time));
            if (hooked.consume) return 1;
        }
    }
    return CallNextHookEx(nullptr, code, w, l);
}

// An input event that moves and presses nothing. Windows lets the process
// that sent the last input event set the foreground window; a key the hook
// has taken was no input to this process.
bool send_empty_input() {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = MOUSEEVENTF_MOVE;  // by 0, 0
    return SendInput(1, &input, sizeof input) == 1;
}

bool set_foreground(HWND window) {
    return SetForegroundWindow(window) && GetForegroundWindow() == window;
}

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

HHOOK install_f12_hook(HWND window, UINT press_message, bool key_held) {
    hook_window = window;
    hook_message = press_message;
    hook_presses = F12Presses();
    // The time of the key events, the tick count's (GetMessageTime's).
    if (key_held) hook_presses.take_held(GetTickCount());
    return SetWindowsHookExW(WH_KEYBOARD_LL, keyboard_hook, GetModuleHandleW(nullptr), 0);
}

HookCounts f12_hook_counts() {
    return {hook_acted.load(), hook_passed.load()};
}

bool take_foreground(HWND window) {
    // Allowed right after the window's hot key message, and wherever this
    // process is already in front or nothing is.
    if (set_foreground(window)) return true;
    // After the hook's press this process received no input: its own empty
    // event makes it the one that sent the last, without a key that could
    // reach the program in front (an Alt would open its menu bar, or
    // release an Alt the user holds).
    if (send_empty_input() && set_foreground(window)) return true;
    // Refused still (the foreground lock is held): a thread whose input is
    // attached to the foreground thread's shares the foreground queue and
    // may hand the foreground on. This fails where the program in front
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
