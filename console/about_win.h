// frmAbout: the About box, modeless and without an owner; one instance at a
// time, loaded afresh after it has been closed.
#pragma once

#include <windows.h>

#include <array>

#include "platform/system.h"
#include "platform/win32/win_handle.h"

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
    void Form_Load();
    void create_controls();
    void Command1_Click();
    void cmdOK_Click();
    void paint_lines(HDC dc);
    HBRUSH on_color_label(HDC dc, HWND label);
    HWND add(const wchar_t* klass, const char* text, DWORD style, int left, int top, int width,
             int height, int id, HFONT font);
    int px(int twips) const;

    HINSTANCE instance_;
    HICON icon_;
    ProcessStarter& starter_;
    HWND dialog_ = nullptr;
    HWND lblTitle_ = nullptr, lblVersion_ = nullptr, lblDisclaimer_ = nullptr;
    Font title_font_, version_font_, text_font_;
    int twips_per_pixel_ = 15;
};

// "Version 1.3.0" and "Varnholde" from the program's own version resource.
std::string program_version_text();
std::string program_title();

}  // namespace vh
