#include "console/hot_key_win.h"

#include "console/hotkeys.h"

namespace vh {

namespace {

constexpr int f12_id = 1;  // applications number their hot keys from 0 to 0xBFFF

// The hook's target and its memory of F12. Set before the hook's thread
// starts and read only there afterwards.
HWND hook_window = nullptr;
UINT hook_message = 0;
F12Presses hook_presses;

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
            const HookedKey hooked =
                hook_presses.on_key((key->flags & LLKHF_UP) != 0, modifier_held(), key->time);
            if (hooked.act) PostMessageW(hook_window, hook_message, 0, 0);
            if (hooked.consume) return 1;
        }
    }
    return CallNextHookEx(nullptr, code, w, l);
}

struct HookStart {
    HANDLE ready;
    bool installed = false;
};

// The hook's thread: Windows calls a low-level hook through the message
// queue of the thread that installed it, so the thread waits for messages
// until it is told to quit.
DWORD WINAPI hook_thread(void* parameter) {
    auto* start = static_cast<HookStart*>(parameter);
    MSG message;
    PeekMessageW(&message, nullptr, WM_USER, WM_USER, PM_NOREMOVE);  // makes the queue
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_HIGHEST);
    HHOOK hook = SetWindowsHookExW(WH_KEYBOARD_LL, keyboard_hook, GetModuleHandleW(nullptr), 0);
    start->installed = hook != nullptr;
    SetEvent(start->ready);  // start is the installer's, and gone after this
    if (!hook) return 1;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {}
    UnhookWindowsHookEx(hook);
    return 0;
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

bool F12KeyboardHook::install(HWND window, UINT press_message) {
    remove();
    hook_window = window;
    hook_message = press_message;
    hook_presses = F12Presses();
    WinHandle ready(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!ready) return false;
    HookStart start{ready.get()};
    DWORD id = 0;
    WinHandle thread(CreateThread(nullptr, 0, hook_thread, &start, 0, &id));
    if (!thread) return false;
    WaitForSingleObject(ready.get(), INFINITE);
    if (!start.installed) {
        WaitForSingleObject(thread.get(), INFINITE);
        return false;
    }
    thread_ = std::move(thread);
    thread_id_ = id;
    return true;
}

void F12KeyboardHook::remove() {
    if (!thread_) return;
    PostThreadMessageW(thread_id_, WM_QUIT, 0, 0);
    WaitForSingleObject(thread_.get(), 2000);
    thread_.close();
    thread_id_ = 0;
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
