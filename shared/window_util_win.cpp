#include "shared/window_util_win.h"

#include <commctrl.h>

#include <cmath>

#include "platform/win32/wide.h"
#include "platform/win32/window_text.h"

namespace vh {

namespace {

constexpr const wchar_t* panel_class = L"VarnholdePanel";

LRESULT CALLBACK panel_proc(HWND panel, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_DRAWITEM: return SendMessageW(GetParent(panel), message, wparam, lparam);
    default: return DefWindowProcW(panel, message, wparam, lparam);
    }
}

void register_panel_class() {
    static bool registered = false;
    if (registered) return;
    WNDCLASSW panel{};
    panel.lpfnWndProc = panel_proc;
    panel.hInstance = GetModuleHandleW(nullptr);
    panel.hCursor = LoadCursor(nullptr, IDC_ARROW);
    panel.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    panel.lpszClassName = panel_class;
    registered = RegisterClassW(&panel) != 0;
}

}  // namespace

HWND create_control(HWND parent, const wchar_t* window_class, const std::string& text, DWORD style,
                    const TwipRect& box, int id, const TwipScale& scale, HFONT font,
                    DWORD ex_style) {
    const RECT r = scale.pixels(box);
    HWND control = CreateWindowExW(ex_style, window_class, to_wide(text).c_str(), WS_CHILD | style, r.left,
                                   r.top, r.right - r.left, r.bottom - r.top, parent,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                   GetModuleHandleW(nullptr), nullptr);
    if (control && font) set_font(control, font);
    return control;
}

void move_control(HWND control, float left_twips, float top_twips, const TwipScale& scale) {
    SetWindowPos(control, nullptr, scale.x(left_twips), scale.y(top_twips), 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void set_control_width(HWND control, float width_twips, const TwipScale& scale) {
    RECT r{};
    GetWindowRect(control, &r);
    SetWindowPos(control, nullptr, 0, 0, scale.x(width_twips), r.bottom - r.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void set_font(HWND control, HFONT font) {
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
}

HWND create_panel(HWND parent, const TwipRect& box, int id, const TwipScale& scale) {
    register_panel_class();
    return create_control(parent, panel_class, "", WS_VISIBLE | WS_CLIPCHILDREN, box, id, scale,
                          nullptr, WS_EX_CONTROLPARENT);
}

namespace {

// A label whose look the parent paints: it only keeps its text, font and place.
LRESULT CALLBACK parent_painted_label_proc(HWND label, UINT message, WPARAM wparam,
                                           LPARAM lparam, UINT_PTR, DWORD_PTR) {
    switch (message) {
    case WM_PAINT: ValidateRect(label, nullptr); return 0;
    case WM_ERASEBKGND: return 1;
    case WM_NCDESTROY:
        RemoveWindowSubclass(label, parent_painted_label_proc, 0);
        return DefSubclassProc(label, message, wparam, lparam);
    default: return DefSubclassProc(label, message, wparam, lparam);
    }
}

void draw_label_text(HDC dc, HWND parent, HWND label, COLORREF color) {
    const std::wstring text = to_wide(window_text(label));
    RECT r{};
    GetWindowRect(label, &r);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    const HGDIOBJ previous = SelectObject(
        dc, reinterpret_cast<HFONT>(SendMessageW(label, WM_GETFONT, 0, 0)));
    SetTextColor(dc, color);
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r, DT_LEFT | DT_SINGLELINE | DT_NOPREFIX);
    SelectObject(dc, previous);
}

}  // namespace

ShadowedTitle create_shadowed_title(HWND parent, const std::string& text, const TwipRect& face,
                                    const TwipRect& shadow, COLORREF face_color,
                                    COLORREF shadow_color, HFONT font, int face_id,
                                    int shadow_id, const TwipScale& scale) {
    ShadowedTitle title;
    title.face_color = face_color;
    title.shadow_color = shadow_color;
    const DWORD style = WS_VISIBLE | SS_LEFTNOWORDWRAP | SS_NOPREFIX;
    title.face = create_control(parent, L"STATIC", text, style, face, face_id, scale, font);
    title.shadow = create_control(parent, L"STATIC", text, style, shadow, shadow_id, scale, font);
    SetWindowSubclass(title.face, parent_painted_label_proc, 0, 0);
    SetWindowSubclass(title.shadow, parent_painted_label_proc, 0, 0);
    return title;
}

void paint_shadowed_title(HDC dc, HWND parent, const ShadowedTitle& title) {
    const int previous_mode = SetBkMode(dc, TRANSPARENT);
    draw_label_text(dc, parent, title.shadow, title.shadow_color);
    draw_label_text(dc, parent, title.face, title.face_color);
    SetBkMode(dc, previous_mode);
}

void exclude_child(HDC dc, HWND parent, HWND child) {
    if (!IsWindowVisible(child)) return;
    RECT r{};
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    ExcludeClipRect(dc, r.left, r.top, r.right, r.bottom);
}

}  // namespace vh
