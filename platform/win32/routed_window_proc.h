// The window procedure of a window owned by a C++ object: the object is
// handed to CreateWindowEx as the creation parameter, kept in the window's
// user data, told its handle at WM_NCCREATE, and given every message.
// Owner needs attach(HWND) and handle(UINT, WPARAM, LPARAM); it may keep
// them private and befriend this function.
#pragma once

#include <windows.h>

namespace vh {

template <class Owner>
LRESULT CALLBACK routed_window_proc(HWND window, UINT message, WPARAM w, LPARAM l) {
    if (message == WM_NCCREATE) {
        auto* owner = static_cast<Owner*>(reinterpret_cast<CREATESTRUCTW*>(l)->lpCreateParams);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(owner));
        owner->attach(window);
    }
    auto* owner = reinterpret_cast<Owner*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    return owner ? owner->handle(message, w, l) : DefWindowProcW(window, message, w, l);
}

}  // namespace vh
