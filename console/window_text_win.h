// The text of a window or control, as WM_GETTEXT gives it.
#pragma once

#include <windows.h>

#include <string>

namespace vh {

inline std::string window_text(HWND window) {
    const int length = GetWindowTextLengthA(window);
    std::string text(static_cast<size_t>(length) + 1, '\0');
    const int got = GetWindowTextA(window, text.data(), length + 1);
    text.resize(got > 0 ? static_cast<size_t>(got) : 0);
    return text;
}

}  // namespace vh
