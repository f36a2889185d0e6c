#include "setup/error_dialog_win.h"

#include "platform/win32/window_text.h"

namespace vh {

namespace {

constexpr const wchar_t* class_name = L"Varnholde_Setup_Dialog";
constexpr DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD ex_style = WS_EX_DLGMODALFRAME;
constexpr float client_width = 5070, client_height = 1095;
constexpr int message_id = 1;

void end_program() {
    PostQuitMessage(0);
}

void register_class(WNDPROC window_proc) {
    static bool registered = false;
    if (registered) return;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = window_proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = class_name;
    registered = RegisterClassExW(&wc) != 0;
}

// The outer rectangle of the designed client area, centred on the screen.
RECT centred_frame(const TwipScale& scale) {
    RECT frame{0, 0, scale.x(client_width), scale.y(client_height)};
    AdjustWindowRectEx(&frame, style, FALSE, ex_style);
    const int width = frame.right - frame.left, height = frame.bottom - frame.top;
    const int left = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
    const int top = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
    return {left, top, width, height};  // right and bottom hold the size
}

}  // namespace

LRESULT CALLBACK ErrorDialog::window_proc(HWND hwnd, UINT message, WPARAM wparam,
                                          LPARAM lparam) {
    switch (message) {
    case WM_COMMAND: end_program(); return 0;  // its only button
    case WM_CLOSE: end_program(); return 0;
    default: return DefWindowProcW(hwnd, message, wparam, lparam);
    }
}

void ErrorDialog::create(HWND owner, const TwipScale& scale) {
    register_class(&window_proc);
    const RECT frame = centred_frame(scale);
    window_ = CreateWindowExW(ex_style, class_name, L"Ошибка", style, frame.left, frame.top,
                              frame.right, frame.bottom, owner, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
    if (!window_) return;
    font_ = create_cyrillic_font(L"MS Sans Serif", 9.75f, true);
    message_label_ = create_control(window_, L"Static", "", SS_CENTER | WS_VISIBLE,
                             {120, 0, 4815, 495}, message_id, scale, font_.get());
    create_control(window_, L"Button", "Выход из установки!",
                   BS_DEFPUSHBUTTON | WS_TABSTOP | WS_VISIBLE, {120, 600, 4815, 375}, IDCANCEL,
                   scale, font_.get());
}

void ErrorDialog::show(HWND owner, const std::string& message, const TwipScale& scale) {
    if (!window_) create(owner, scale);
    if (!window_) return;
    set_window_text(message_label_, message);
    ShowWindow(window_, SW_SHOWNORMAL);
    SetForegroundWindow(window_);
    UpdateWindow(window_);
}

}  // namespace vh
