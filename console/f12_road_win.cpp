#include "console/f12_road_win.h"

#include <wtsapi32.h>

namespace vh {

namespace {

// Posted by the keyboard hook for each press of F12, the event's time in lParam.
constexpr UINT f12_pressed_message = WM_APP + 1;
constexpr UINT_PTR watch_timer_id = 2;
// The longest a press the removed hook missed waits for its answer.
constexpr int watch_interval_ms = 250;
// Before the terminal services are up, the session notification fails; it
// is asked for again at this pace.
constexpr DWORD session_retry_ms = 10000;

// wtsapi32.dll is loaded only here, from the system folder, and only
// where the hook is the road.
using RegisterSessionFn = BOOL(WINAPI*)(HWND, DWORD);
using UnregisterSessionFn = BOOL(WINAPI*)(HWND);
struct SessionFunctions {
    RegisterSessionFn register_window = nullptr;
    UnregisterSessionFn unregister_window = nullptr;
};

const SessionFunctions& session_functions() {
    static const SessionFunctions functions = [] {
        SessionFunctions f;
        HMODULE wts = LoadLibraryExW(L"wtsapi32.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
        if (!wts) return f;
        f.register_window = reinterpret_cast<RegisterSessionFn>(reinterpret_cast<void (*)()>(
            GetProcAddress(wts, "WTSRegisterSessionNotification")));
        f.unregister_window = reinterpret_cast<UnregisterSessionFn>(reinterpret_cast<void (*)()>(
            GetProcAddress(wts, "WTSUnRegisterSessionNotification")));
        return f;
    }();
    return functions;
}

// The session came back to the user: a hook removed while it was locked
// or disconnected is installed again before the user's first F12.
bool session_came_back(WPARAM change) {
    return change == WTS_SESSION_UNLOCK || change == WTS_CONSOLE_CONNECT ||
           change == WTS_REMOTE_CONNECT;
}

bool resumed(WPARAM event) {
    return event == PBT_APMRESUMEAUTOMATIC || event == PBT_APMRESUMESUSPEND;
}

}  // namespace

F12Road F12Keys::take(HWND window, HANDLE close_event, ConsoleView& view, KeyState& keys) {
    window_ = window;
    view_ = &view;
    keys_ = &keys;
    if (hot_key_.register_for(window)) {
        road_ = F12Road::registered;
        waiter_.start(window, close_event, false, f12_pressed_message);
        return road_;
    }
    waiter_.start(window, close_event, true, f12_pressed_message);
    if (!waiter_.hooked()) return road_ = F12Road::polled;
    road_ = F12Road::hooked;
    watch_.start(keys, *this);
    listen_to_session();
    return road_;
}

void F12Keys::listen_to_session() {
    session_tried_at_ = GetTickCount();
    const SessionFunctions& wts = session_functions();
    session_notified_ =
        wts.register_window && wts.register_window(window_, NOTIFY_FOR_THIS_SESSION);
}

void F12Keys::set_poll_interval(int milliseconds) {
    if (road_ != F12Road::hooked) return;
    const bool own = milliseconds <= 0 || milliseconds > watch_interval_ms;
    if (own)
        own_timer_ = SetTimer(window_, watch_timer_id, watch_interval_ms, nullptr) != 0;
    else if (own_timer_)
        own_timer_ = !KillTimer(window_, watch_timer_id);
}

void F12Keys::on_poll_tick() {
    if (road_ == F12Road::hooked && !own_timer_) watch();
}

// One GetAsyncKeyState and two counts: the tick stays light.
void F12Keys::watch() {
    watch_.on_tick(*keys_, *this, *view_, GetTickCount());
    if (!session_notified_ && session_functions().register_window &&
        GetTickCount() - session_tried_at_ >= session_retry_ms)
        listen_to_session();
}

bool F12Keys::handle(UINT message, WPARAM w, LPARAM l, LRESULT& result) {
    result = 0;
    switch (message) {
        case WM_HOTKEY:
            if (F12HotKey::is_this(w)) on_f12(*view_);
            return true;
        case f12_pressed_message:
            watch_.on_hooked_press(*view_, static_cast<std::uint32_t>(l));
            return true;
        case WM_TIMER:
            if (w != watch_timer_id) return false;
            watch();
            return true;
        case WM_WTSSESSION_CHANGE:
            if (road_ == F12Road::hooked && session_came_back(w)) install_again(false);
            return true;
        case WM_POWERBROADCAST:
            if (road_ == F12Road::hooked && resumed(w)) install_again(false);
            result = TRUE;
            return true;
    }
    return false;
}

void F12Keys::release() {
    hot_key_.release();
    // Before the window is destroyed, as the notification asks.
    if (session_notified_) session_functions().unregister_window(window_);
    session_notified_ = false;
    if (own_timer_) KillTimer(window_, watch_timer_id);
    own_timer_ = false;
    waiter_.stop();
    road_ = F12Road::polled;
}

}  // namespace vh
