// F12 on Windows, by the first road Windows allows (the window's hot key,
// the low-level keyboard hook, or polling by the timer), and the hook's
// upkeep: Windows removes a hook that once answers late, without a word,
// so the console watches for presses the hook did not take and installs it
// again then, and after the session is unlocked or the machine resumes.
#pragma once

#include <windows.h>

#include <cstdint>

#include "console/console_state.h"
#include "console/console_view.h"
#include "console/hot_key_win.h"
#include "console/hotkeys.h"
#include "console/waiting_thread_win.h"
#include "platform/system.h"

namespace vh {

class F12Keys : private F12Hook {
public:
    F12Keys() = default;
    F12Keys(const F12Keys&) = delete;
    F12Keys& operator=(const F12Keys&) = delete;
    ~F12Keys() override { release(); }

    // Takes F12 for the window, and starts the waiting thread, which holds
    // the hook where that is the road and listens for close_event (null
    // where there is none).
    F12Road take(HWND window, HANDLE close_event, ConsoleView& view, KeyState& keys);
    // Whether the waiting thread answers the close event.
    bool listens_for_close() const { return waiter_.listens(); }
    // The polling timer's interval (0: stopped). Where the timer is too
    // slow or stopped, the hook's watch has a timer of its own.
    void set_poll_interval(int milliseconds);
    // At each tick of the polling timer.
    void on_poll_tick();
    // The window's messages for F12; false for any other.
    bool handle(UINT message, WPARAM w, LPARAM l, LRESULT& result);
    // At unload: the hot key, the hook and the session notification go.
    void release();

private:
    // F12Hook
    HookCounts counts() override { return f12_hook_counts(); }
    void install_again(bool key_down) override { waiter_.install_hook_again(key_down); }

    void watch();
    void listen_to_session();

    HWND window_ = nullptr;
    ConsoleView* view_ = nullptr;
    KeyState* keys_ = nullptr;
    F12Road road_ = F12Road::polled;
    F12HotKey hot_key_;
    WaitingThread waiter_;
    HookWatch watch_;
    bool own_timer_ = false;
    bool session_notified_ = false;
    DWORD session_tried_at_ = 0;
};

}  // namespace vh
