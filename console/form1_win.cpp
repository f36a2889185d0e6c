#include "console/form1_win.h"

#include <string>

#include "console/about_win.h"
#include "console/alias_store.h"
#include "console/command_interpreter.h"
#include "console/hotkeys.h"
#include "console/module1.h"
#include "console/module1_win.h"
#include "console/settings.h"
#include "console/single_console_win.h"
#include "platform/running_console.h"
#include "platform/win32/wide.h"
#include "platform/win32/window_text.h"

namespace vh {

namespace {

const std::wstring window_class = to_wide(console_window_class);
constexpr UINT_PTR timer_id = 1;
constexpr int input_id = 10;
constexpr int first_label_id = 20;

enum MenuItem { Otk_Skr = 101, mnu_about = 102, mnu_quit = 103 };

// A Cyrillic font of the given face and size in points.
HFONT cyrillic_font(const wchar_t* face, double points, int weight, int dpi) {
    const int height = -static_cast<int>(points * dpi / 72.0 + 0.5);
    return CreateFontW(height, 0, 0, 0, weight, FALSE, FALSE, FALSE, RUSSIAN_CHARSET,
                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                       DEFAULT_PITCH | FF_DONTCARE, face);
}

COLORREF to_colorref(const TextColor& color) {
    return color.system_window ? GetSysColor(COLOR_WINDOW)
                               : RGB(color.red, color.green, color.blue);
}

}  // namespace

Form1::Form1() = default;
Form1::~Form1() = default;

bool Form1::create(HINSTANCE instance, int show_command) {
    instance_ = instance;
    icon_ = LoadIconW(instance, MAKEINTRESOURCEW(1));
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = routed_window_proc<Form1>;
    wc.hInstance = instance;
    wc.hIcon = icon_;
    wc.hIconSm = icon_;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.lpszClassName = window_class.c_str();
    if (!RegisterClassExW(&wc)) return false;

    // A band without caption or taskbar button, with a one-pixel border.
    window_ = CreateWindowExW(WS_EX_TOOLWINDOW, window_class.c_str(), L"", WS_POPUP | WS_BORDER | WS_CLIPCHILDREN,
                              0, 0, 0, 0, nullptr, nullptr, instance, this);
    if (!window_) return false;
    Form_Load();
    ShowWindow(window_, show_command == SW_HIDE ? SW_HIDE : SW_SHOW);
    SetForegroundWindow(window_);
    SetFocus(RichTextBox1_);
    return true;
}

bool Form1::is_dialog_message(MSG& message) {
    return about_ && about_->is_dialog_message(message);
}

// The load sequence: measure the screen, add the icon, lay the band out,
// register the Run value, take the Windows directory, apply the settings.
void Form1::Form_Load() {
    HDC screen = GetDC(nullptr);
    const int dpi_x = GetDeviceCaps(screen, LOGPIXELSX), dpi_y = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    twips_per_pixel_x_ = (1440 + dpi_x / 2) / dpi_x;
    twips_per_pixel_y_ = (1440 + dpi_y / 2) / dpi_y;
    state_.twips_x = static_cast<std::int16_t>(twips_per_pixel_x_);

    add_tray_icon(window_, icon_);

    const ConsoleLayout layout = console_layout(
        GetSystemMetrics(SM_CXSCREEN) * twips_per_pixel_x_,
        GetSystemMetrics(SM_CYSCREEN) * twips_per_pixel_y_, twips_per_pixel_y_);
    SetWindowPos(window_, nullptr, 0, 0, to_pixels_x(layout.window_width),
                 to_pixels_y(layout.window_height), SWP_NOZORDER | SWP_NOACTIVATE);
    input_font_.reset(cyrillic_font(L"Comic Sans MS", 14.25, FW_BOLD, dpi_y));
    label_font_.reset(cyrillic_font(L"Comic Sans MS", 12, FW_BOLD, dpi_y));
    input_background_.reset(CreateSolidBrush(RGB(0, 0, 0)));
    create_controls(layout);
    state_.history_pos = history_lines;

    register_run(registry_, hkey_local_machine, run_key_path, run_value_name, console_program_path);
    state_.win_dir = windows_directory();

    aliases_ = std::make_unique<AliasStore>(file_system_, starter_);
    interpreter_ = std::make_unique<CommandInterpreter>(state_, *this, *aliases_, starter_, keys_,
                                                        session_);
    set_timer_interval(state_.settings.open_interval);
    settings_writable_ = may_write_at_unload(load_settings(file_system_, *this, state_.settings));
}

void Form1::create_controls(const ConsoleLayout& layout) {
    const TwipsRect& in = layout.input;
    RichTextBox1_ = CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL,
                                    to_pixels_x(in.left), to_pixels_y(in.top),
                                    to_pixels_x(in.width), to_pixels_y(in.height), window_,
                                    reinterpret_cast<HMENU>(input_id), instance_, nullptr);
    SendMessageW(RichTextBox1_, WM_SETFONT, reinterpret_cast<WPARAM>(input_font_.get()), FALSE);
    SetWindowLongPtrW(RichTextBox1_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    input_default_proc_ = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(
        RichTextBox1_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(input_proc)));

    for (int i = history_lines - 1; i >= 0; --i) {
        const TwipsRect& r = layout.labels[i];
        Label1_[i] = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | SS_OWNERDRAW,
                                     to_pixels_x(r.left), to_pixels_y(r.top),
                                     to_pixels_x(r.width), to_pixels_y(r.height), window_,
                                     reinterpret_cast<HMENU>(first_label_id + i), instance_,
                                     nullptr);
    }
}

// Runs on every way the window can end: exit commands, the menu, WM_CLOSE
// and the end of the Windows session. A failed write never stops it.
void Form1::Form_Unload() {
    if (unloaded_) return;
    unloaded_ = true;
    if (settings_writable_) save_settings(file_system_, state_.settings);
    remove_tray_icon();
}

void Form1::unload_and_exit() {
    Form_Unload();
    ExitProcess(0);
}

void Form1::Form_MouseDown(LPARAM position) {
    const auto x = static_cast<short>(LOWORD(position));
    const auto y = static_cast<short>(HIWORD(position));
    if (icon_menu_requested(x, y, state_.twips_x, twips_per_pixel_y_)) show_menu();
}

// The icon's menu, shown the way that lets it close when the user clicks
// elsewhere: the window in the foreground while tracking, a null message after.
void Form1::show_menu() {
    HMENU menu = CreatePopupMenu();
    AppendMenuW(menu, MF_STRING, Otk_Skr, L"Консоль\tF12");
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu, MF_STRING, mnu_about, L"О программе");
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu, MF_STRING, mnu_quit, L"Выход");
    POINT cursor{};
    GetCursorPos(&cursor);
    SetForegroundWindow(window_);
    TrackPopupMenu(menu, 0, cursor.x, cursor.y, 0, window_, nullptr);
    PostMessageW(window_, WM_NULL, 0, 0);
    DestroyMenu(menu);
}

void Form1::on_command(int id) {
    switch (id) {
        case Otk_Skr: set_visible(!visible()); break;
        case mnu_about: show_about(); break;
        case mnu_quit: unload_and_exit(); break;
    }
}

// Messages registered by name, which a switch cannot name: a second start
// of the console asks this one to show itself; a re-created taskbar (after
// Explorer restarted) has lost the icon, which is added again.
bool Form1::on_registered_message(UINT message) {
    if (message == show_console_message()) {
        set_visible(true);
        SetForegroundWindow(window_);
        return true;
    }
    if (message == taskbar_created_message()) {
        add_tray_icon(window_, icon_);
        return true;
    }
    return false;
}

LRESULT Form1::handle(UINT message, WPARAM w, LPARAM l) {
    if (on_registered_message(message)) return 0;
    switch (message) {
        case WM_ERASEBKGND: on_erase_background(reinterpret_cast<HDC>(w)); return 1;
        case WM_DRAWITEM: on_draw_label(*reinterpret_cast<DRAWITEMSTRUCT*>(l)); return TRUE;
        case WM_CTLCOLOREDIT: return on_color_input(reinterpret_cast<HDC>(w));
        case WM_TIMER: Timer1_Timer(state_, *this, keys_); return 0;
        case WM_LBUTTONDOWN: Form_MouseDown(l); return 0;
        case WM_COMMAND: on_command(LOWORD(w)); return 0;
        case WM_SETFOCUS: SetFocus(RichTextBox1_); return 0;
        case WM_CLOSE: Form_Unload(); DestroyWindow(window_); return 0;
        case WM_QUERYENDSESSION: return TRUE;
        case WM_ENDSESSION: if (w) Form_Unload(); return 0;
        case WM_DESTROY: Form_Unload(); PostQuitMessage(0); return 0;
    }
    return DefWindowProcW(window_, message, w, l);
}

LRESULT CALLBACK Form1::input_proc(HWND input, UINT message, WPARAM w, LPARAM l) {
    auto* self = reinterpret_cast<Form1*>(GetWindowLongPtrW(input, GWLP_USERDATA));
    if (message == WM_CHAR) return self->on_input_char(w);
    return CallWindowProcW(self->input_default_proc_, input, message, w, l);
}

// The key-press handler sees each key before the input line adds it. Enter
// and Tab insert nothing into a single-line box; they are not passed on, so
// that the box does not beep at them.
LRESULT Form1::on_input_char(WPARAM character) {
    interpreter_->key_press(static_cast<int>(character));
    if (character == '\r' || character == '\t') return 0;
    return CallWindowProcW(input_default_proc_, RichTextBox1_, WM_CHAR, character, 0);
}

void Form1::on_erase_background(HDC dc) {
    RECT client{};
    GetClientRect(window_, &client);
    skin_.paint(dc, client);
}

// A history line: the skin behind it, its text over it.
void Form1::on_draw_label(const DRAWITEMSTRUCT& item) {
    RECT placed{};
    GetWindowRect(item.hwndItem, &placed);
    MapWindowPoints(nullptr, window_, reinterpret_cast<POINT*>(&placed), 2);
    skin_.paint(item.hDC, item.rcItem, POINT{placed.left, placed.top});
    const std::wstring text = to_wide(window_text(item.hwndItem));
    HGDIOBJ old = SelectObject(item.hDC, label_font_.get());
    SetBkMode(item.hDC, TRANSPARENT);
    SetTextColor(item.hDC, text_color_);
    RECT area = item.rcItem;
    DrawTextW(item.hDC, text.c_str(), static_cast<int>(text.size()), &area,
              DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
    SelectObject(item.hDC, old);
}

LRESULT Form1::on_color_input(HDC dc) {
    SetTextColor(dc, text_color_);
    SetBkColor(dc, RGB(0, 0, 0));
    return reinterpret_cast<LRESULT>(input_background_.get());
}

void Form1::repaint_all() {
    RedrawWindow(window_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

int Form1::to_pixels_x(int twips) const {
    return twips_to_pixels(twips, twips_per_pixel_x_);
}

int Form1::to_pixels_y(int twips) const {
    return twips_to_pixels(twips, twips_per_pixel_y_);
}

// ConsoleView

std::string Form1::input_text() {
    return window_text(RichTextBox1_);
}

void Form1::set_input_text(const std::string& text) {
    set_window_text(RichTextBox1_, text);
    // The caret after the last character (selection positions count UTF-16 units).
    const auto end = static_cast<WPARAM>(GetWindowTextLengthW(RichTextBox1_));
    SendMessageW(RichTextBox1_, EM_SETSEL, end, end);
}

std::string Form1::history_line(int index) {
    if (index < 0 || index >= history_lines) return {};
    return window_text(Label1_[index]);
}

void Form1::set_history_line(int index, const std::string& text) {
    if (index < 0 || index >= history_lines) return;
    set_window_text(Label1_[index], text);
    InvalidateRect(Label1_[index], nullptr, FALSE);
}

bool Form1::visible() {
    return IsWindowVisible(window_) != FALSE;
}

void Form1::set_visible(bool visible) {
    ShowWindow(window_, visible ? SW_SHOW : SW_HIDE);
    if (visible) SetFocus(RichTextBox1_);
}

void Form1::show_about() {
    if (!about_) about_ = std::make_unique<AboutBox>(instance_, icon_, starter_);
    about_->show();
}

void Form1::set_text_color(const TextColor& color) {
    text_color_ = to_colorref(color);
    repaint_all();
}

LoadResult Form1::load_skin(const std::string& path) {
    RECT client{};
    GetClientRect(window_, &client);
    const LoadResult result = skin_.load(path, SIZE{client.right, client.bottom});
    if (result == LoadResult::ok) repaint_all();
    return result;
}

void Form1::set_timer_interval(int milliseconds) {
    if (milliseconds > 0)
        SetTimer(window_, timer_id, static_cast<UINT>(milliseconds), nullptr);
    else
        KillTimer(window_, timer_id);
}

}  // namespace vh
