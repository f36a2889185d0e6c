// F12 as the console window's hot key, and the foreground hand-off that lets
// the band take the keyboard when the key was only polled.
#pragma once

#include <windows.h>

namespace vh {

// F12 without modifiers, registered for one window: Windows then sends the
// window WM_HOTKEY for each press and gives the key to no other program.
class F12HotKey {
public:
    F12HotKey() = default;
    F12HotKey(const F12HotKey&) = delete;
    F12HotKey& operator=(const F12HotKey&) = delete;
    ~F12HotKey() { release(); }

    // False when another program holds F12: the key can then only be polled.
    bool register_for(HWND window);
    void release();
    // Whether a WM_HOTKEY message is this key's.
    static bool is_this(WPARAM hot_key_id);

private:
    HWND window_ = nullptr;
};

// Makes the window the foreground window. Windows lets a process do so when
// it received the last input (a hot key's message counts); a process that
// only polled a key did not, and is refused while another program is in
// front unless its thread shares that program's input for the call. True
// when the window is in front afterwards.
bool take_foreground(HWND window);

}  // namespace vh
