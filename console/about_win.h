// The About box (the designed frmAbout), modeless and without an owner; one
// instance at a time, loaded afresh after it has been closed.
#pragma once

#include <windows.h>

#include <array>

#include "platform/system.h"
#include "platform/win32/win_handle.h"
#include "shared/screen_units_win.h"

namespace vh {

class AboutBox {
public:
    AboutBox(HINSTANCE instance, HICON icon, ProcessStarter& starter);
    ~AboutBox();
    void show();
    bool is_dialog_message(MSG& message);

private:
    static INT_PTR CALLBACK dialog_proc(HWND dialog, UINT message, WPARAM w, LPARAM l);
    INT_PTR handle(UINT message, WPARAM w, LPARAM l);
    void load();
    void create_controls();
    void open_readme();
    void close();
    void paint_lines(HDC dc);
    HBRUSH on_color_label(HDC dc, HWND label);
    HWND add(const wchar_t* klass, const char* text, DWORD style, int left, int top, int width,
             int height, int id, HFONT font);

    HINSTANCE instance_;
    HICON icon_;
    ProcessStarter& starter_;
    HWND dialog_ = nullptr;
    HWND title_label_ = nullptr, version_label_ = nullptr, disclaimer_label_ = nullptr;
    Font title_font_, version_font_, text_font_;
    TwipScale scale_;
};

// "Version 1.3.0" and "Varnholde" from the program's own version resource.
std::string program_version_text();
std::string program_title();

}  // namespace vh
