#include "platform/win32/window_text.h"

#include "platform/win32/wide.h"

namespace vh {

std::string window_text(HWND window) {
    const int length = GetWindowTextLengthW(window);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const int got = GetWindowTextW(window, text.data(), length + 1);
    text.resize(got > 0 ? static_cast<size_t>(got) : 0);
    return to_utf8(text);
}

void set_window_text(HWND window, const std::string& text) {
    SetWindowTextW(window, to_wide(text).c_str());
}

}  // namespace vh
