// A window's or control's text, as WM_GETTEXT and WM_SETTEXT carry it in
// UTF-16, for the programs' UTF-8 strings.
#pragma once

#include <windows.h>

#include <string>

namespace vh {

std::string window_text(HWND window);
void set_window_text(HWND window, const std::string& text);

}  // namespace vh
