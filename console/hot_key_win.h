// How F12 reaches the console on Windows: the window's hot key where the
// key is free, a low-level keyboard hook where another holds it (every
// Windows holds F12 for its debugger), and the foreground hand-off that
// lets the band take the keyboard on either road.
#pragma once

#include <windows.h>

#include "console/hotkeys.h"

namespace vh {

// F12 without modifiers, registered for one window: Windows then sends the
// window WM_HOTKEY for each press and gives the key to no other program.
class F12HotKey {
public:
    F12HotKey() = default;
    F12HotKey(const F12HotKey&) = delete;
    F12HotKey& operator=(const F12HotKey&) = delete;
    ~F12HotKey() { release(); }

    // False when another program, or Windows itself, holds F12.
    bool register_for(HWND window);
    void release();
    // Whether a WM_HOTKEY message is this key's.
    static bool is_this(WPARAM hot_key_id);

private:
    HWND window_ = nullptr;
};

// A low-level keyboard hook that takes F12 before hot keys are matched and
// before any program's queue gets it. It posts press_message to the window
// once per press, the event's time in lParam, and keeps the press, its
// repeats and its release from every other program; every other key goes
// on at once. Installed, removed and called on the console's waiting
// thread only, which does nothing else, so that it answers within the
// system's hook time-out even while the window's thread is busy starting a
// program or opening a folder. key_held: F12 is down now, by a press the
// console has already acted on. Null when Windows refuses the hook.
HHOOK install_f12_hook(HWND window, UINT press_message, bool key_held);
// What the hook has counted; read on any thread.
HookCounts f12_hook_counts();

// Makes the window the foreground window. True when the window is in front
// afterwards.
bool take_foreground(HWND window);

}  // namespace vh
