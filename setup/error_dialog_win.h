// `Dialog`, the installer's small "Ошибка" window that reports a broken
// package. Shown without being modal over the disabled main window; its only
// button, like closing it, ends the program.
#pragma once

#include <windows.h>

#include <string>

#include "platform/win32/win_handle.h"
#include "shared/window_util_win.h"

namespace vh {

class ErrorDialog {
public:
    // Shows the dialog (creating it at the first call) with the message.
    void show(HWND owner, const std::string& message, const TwipScale& scale);
    HWND window() const { return window_; }

private:
    static LRESULT CALLBACK window_proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
    void create(HWND owner, const TwipScale& scale);

    HWND window_ = nullptr;
    HWND message_label_ = nullptr;
    Font font_;
};

}  // namespace vh
