#include "shared/window_util_win.h"

#include <cmath>

namespace vh {

namespace {

constexpr float twips_per_inch = 1440;
constexpr const char* panel_class = "VarnholdePanel";

int screen_dpi(int index) {
    HDC screen = GetDC(nullptr);
    const int dpi = screen ? GetDeviceCaps(screen, index) : 96;
    if (screen) ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : 96;
}

LRESULT CALLBACK panel_proc(HWND panel, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_DRAWITEM: return SendMessageA(GetParent(panel), message, wparam, lparam);
    default: return DefWindowProcA(panel, message, wparam, lparam);
    }
}

void register_panel_class() {
    static bool registered = false;
    if (registered) return;
    WNDCLASSA panel{};
    panel.lpfnWndProc = panel_proc;
    panel.hInstance = GetModuleHandleA(nullptr);
    panel.hCursor = LoadCursor(nullptr, IDC_ARROW);
    panel.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    panel.lpszClassName = panel_class;
    registered = RegisterClassA(&panel) != 0;
}

}  // namespace

TwipScale::TwipScale() : dpi_x_(screen_dpi(LOGPIXELSX)), dpi_y_(screen_dpi(LOGPIXELSY)) {}

int TwipScale::x(float twips) const {
    return static_cast<int>(std::lround(twips * dpi_x_ / twips_per_inch));
}

int TwipScale::y(float twips) const {
    return static_cast<int>(std::lround(twips * dpi_y_ / twips_per_inch));
}

float TwipScale::twips_x(int pixels) const {
    return pixels * twips_per_inch / dpi_x_;
}

float TwipScale::twips_y(int pixels) const {
    return pixels * twips_per_inch / dpi_y_;
}

RECT TwipScale::pixels(const TwipRect& box) const {
    return {x(box.left), y(box.top), x(box.left + box.width), y(box.top + box.height)};
}

float screen_width_twips(const TwipScale& scale) {
    return scale.twips_x(GetSystemMetrics(SM_CXSCREEN));
}

float screen_height_twips(const TwipScale& scale) {
    return scale.twips_y(GetSystemMetrics(SM_CYSCREEN));
}

Font create_cyrillic_font(const char* face, float points, bool bold, bool italic) {
    // A negative height asks for the character height, as point sizes mean.
    const int height = -static_cast<int>(std::lround(points * screen_dpi(LOGPIXELSY) / 72.0f));
    return Font(CreateFontA(height, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, italic, FALSE, FALSE,
                            RUSSIAN_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                            DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, face));
}

HWND create_control(HWND parent, const char* window_class, const std::string& text, DWORD style,
                    const TwipRect& box, int id, const TwipScale& scale, HFONT font,
                    DWORD ex_style) {
    const RECT r = scale.pixels(box);
    HWND control = CreateWindowExA(ex_style, window_class, text.c_str(), WS_CHILD | style, r.left,
                                   r.top, r.right - r.left, r.bottom - r.top, parent,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                   GetModuleHandleA(nullptr), nullptr);
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
    SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
}

HWND create_panel(HWND parent, const TwipRect& box, int id, const TwipScale& scale) {
    register_panel_class();
    return create_control(parent, panel_class, "", WS_VISIBLE | WS_CLIPCHILDREN, box, id, scale,
                          nullptr, WS_EX_CONTROLPARENT);
}

ShadowedTitle create_shadowed_title(HWND parent, const std::string& text, const TwipRect& face,
                                    const TwipRect& shadow, COLORREF face_color,
                                    COLORREF shadow_color, HFONT font, int face_id,
                                    int shadow_id, const TwipScale& scale) {
    ShadowedTitle title;
    title.face_color = face_color;
    title.shadow_color = shadow_color;
    const DWORD style = WS_VISIBLE | SS_LEFT | SS_NOPREFIX;
    title.shadow = create_control(parent, "STATIC", text, style, shadow, shadow_id, scale, font);
    // WS_EX_TRANSPARENT has the face painted after the siblings beneath it,
    // so it always lands on top of the shadow.
    title.face = create_control(parent, "STATIC", text, style, face, face_id, scale, font,
                                WS_EX_TRANSPARENT);
    SetWindowPos(title.face, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    return title;
}

HBRUSH title_label_colors(const ShadowedTitle& title, HWND control, HDC dc) {
    if (control != title.face && control != title.shadow) return nullptr;
    SetTextColor(dc, control == title.face ? title.face_color : title.shadow_color);
    SetBkMode(dc, TRANSPARENT);
    return static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
}

void exclude_child(HDC dc, HWND parent, HWND child) {
    if (!IsWindowVisible(child)) return;
    RECT r{};
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    ExcludeClipRect(dc, r.left, r.top, r.right, r.bottom);
}

}  // namespace vh
