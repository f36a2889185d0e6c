#include "console/console_window_win.h"

#include <cmath>
#include <string>

#include "console/about_win.h"
#include "console/alias_store.h"
#include "console/command_interpreter.h"
#include "console/hotkeys.h"
#include "console/autostart.h"
#include "console/settings.h"
#include "console/single_console_win.h"
#include "console/tray_icon_win.h"
#include "platform/win32/wide.h"
#include "platform/win32/window_text.h"

namespace vh {

namespace {

const std::wstring window_class = to_wide(product::console_window_class);
constexpr UINT_PTR timer_id = 1;
constexpr int input_id = 10;
constexpr int first_label_id = 20;
COLORREF to_colorref(const TextColor& color) {
    return color.system_window ? GetSysColor(COLOR_WINDOW)
                               : RGB(color.red, color.green, color.blue);
}

}  // namespace

ConsoleWindow::ConsoleWindow() = default;
ConsoleWindow::~ConsoleWindow() = default;

bool ConsoleWindow::create(HINSTANCE instance, int show_command, HANDLE close_event) {
    instance_ = instance;
    close_event_ = close_event;
    icon_ = LoadIconW(instance, MAKEINTRESOURCEW(1));
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = routed_window_proc<ConsoleWindow>;
    wc.hInstance = instance;
    wc.hIcon = icon_;
    wc.hIconSm = icon_;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.lpszClassName = window_class.c_str();
    if (!RegisterClassExW(&wc)) return false;

    // A band without caption or taskbar button, with a one-pixel border.
    window_ = CreateWindowExW(WS_EX_TOOLWINDOW, window_class.c_str(), L"",
                              WS_POPUP | WS_BORDER | WS_CLIPCHILDREN, 0, 0, 0, 0, nullptr, nullptr,
                              instance, this);
    if (!window_) return false;
    load();
    ShowWindow(window_, show_command == SW_HIDE ? SW_HIDE : SW_SHOW);
    SetForegroundWindow(window_);
    SetFocus(input_line_);
    return true;
}

bool ConsoleWindow::is_dialog_message(MSG& message) {
    return about_ && about_->is_dialog_message(message);
}

// The load sequence: measure the screen, add the icon, lay the band out,
// register the Run value, take the Windows directory, apply the settings.
void ConsoleWindow::load() {
    // Whole twips per pixel, as the icon's mouse messages count them; the
    // band's geometry uses the real density instead.
    state_.twips_x = static_cast<std::int16_t>(std::lround(scale_.twips_x(1)));
    twips_per_pixel_y_ = static_cast<int>(std::lround(scale_.twips_y(1)));

    load_tray_icon();
    add_tray_icon(window_, tray_icon_.get());
    input_background_.reset(CreateSolidBrush(RGB(0, 0, 0)));
    monitors_.set_band(window_);
    placer_ = std::make_unique<BandPlacer>(monitors_, static_cast<BandWindow&>(*this));
    placer_->start();
    state_.history_pos = history_lines;

    register_run(registry_, hkey_local_machine, product::run_key, product::run_value_name,
                 product::console_program);
    state_.win_dir = windows_directory();

    aliases_ = std::make_unique<AliasStore>(file_system_, starter_);
    interpreter_ = std::make_unique<CommandInterpreter>(state_, *this, *aliases_, starter_, keys_,
                                                        session_);
    state_.f12_road = f12_.take(window_, close_event_, *this, keys_);
    forget_earlier_presses(state_, keys_);
    set_timer_interval(state_.settings.open_interval);
    settings_writable_ = may_write_at_unload(load_settings(file_system_, *this, state_.settings));
}

void ConsoleWindow::move_band(const ScreenRect& outer) {
    SetWindowPos(window_, nullptr, outer.left, outer.top, outer.width, outer.height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

// The controls and fonts for the band's new place. Texts and history stay;
// the skin keeps only what the band showed, so a band of another size takes
// it again from its file.
void ConsoleWindow::apply_layout(const ConsoleLayout& layout) {
    const bool first = !input_line_;
    if (first)
        create_controls(layout);
    else
        place_controls(layout);
    load_fonts(layout);
    if (!first) load_own_skin(*this, state_.settings.skin_path);
}

// The fonts at the layout's density; the old ones are deleted only after
// the controls hold the new.
void ConsoleWindow::load_fonts(const ConsoleLayout& layout) {
    Font input_font =
        create_cyrillic_font_of_height(L"Comic Sans MS", layout.input_font_height, true);
    SendMessageW(input_line_, WM_SETFONT, reinterpret_cast<WPARAM>(input_font.get()), TRUE);
    input_font_ = std::move(input_font);
    label_font_ = create_cyrillic_font_of_height(L"Comic Sans MS", layout.label_font_height, true);
    repaint_all();
}

// The notification icon at the size for the taskbar's density, from the
// program's icon resource, which holds an image for each usual size. True
// when the size changed and a new picture was loaded.
bool ConsoleWindow::load_tray_icon() {
    const int size = tray_icon_size();
    if (tray_icon_.get() && size == tray_icon_size_) return false;
    HICON icon = static_cast<HICON>(
        LoadImageW(instance_, MAKEINTRESOURCEW(1), IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
    if (!icon) return false;
    tray_icon_ = Icon(icon);
    tray_icon_size_ = size;
    return true;
}

void ConsoleWindow::place_on_working_monitor() {
    if (placer_) placer_->before_showing();
}

// A new resolution, arrangement or work area, or monitors added or removed:
// the taskbar may have moved to a monitor of another density too.
void ConsoleWindow::on_display_change() {
    if (!placer_) return;
    placer_->on_display_change();
    if (load_tray_icon()) change_tray_icon(tray_icon_.get());
}

// A new work area lays the band out again; a change of scaling elsewhere
// may have left the taskbar at another density.
void ConsoleWindow::on_setting_change(WPARAM setting) {
    if (setting == SPI_SETWORKAREA)
        on_display_change();
    else if (load_tray_icon())
        change_tray_icon(tray_icon_.get());
}

// The band's density changed: the new one comes with the message (x in the
// low word, y in the high; Windows keeps them equal).
void ConsoleWindow::on_dpi_changed(WPARAM dpis, const RECT& suggested) {
    if (!placer_) return;
    placer_->on_dpi_changed(HIWORD(dpis), {suggested.left, suggested.top,
                                           suggested.right - suggested.left,
                                           suggested.bottom - suggested.top});
    if (load_tray_icon()) change_tray_icon(tray_icon_.get());
}

HWND ConsoleWindow::create_child(const wchar_t* window_class, DWORD style, const PixelRect& box,
                                 int id) {
    return CreateWindowExW(0, window_class, L"", WS_CHILD | WS_VISIBLE | style, box.left,
                           box.top, box.width, box.height, window_,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance_, nullptr);
}

void ConsoleWindow::create_controls(const ConsoleLayout& layout) {
    input_line_ = create_child(L"EDIT", ES_AUTOHSCROLL, layout.input, input_id);
    SetWindowLongPtrW(input_line_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    input_default_proc_ = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(
        input_line_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(input_proc)));
    for (int i = history_lines - 1; i >= 0; --i)
        history_labels_[i] = create_child(L"STATIC", SS_OWNERDRAW, layout.labels[i],
                                          first_label_id + i);
}

void ConsoleWindow::place_controls(const ConsoleLayout& layout) {
    const auto place = [](HWND control, const PixelRect& box) {
        SetWindowPos(control, nullptr, box.left, box.top, box.width, box.height,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    };
    place(input_line_, layout.input);
    for (int i = 0; i < history_lines; ++i) place(history_labels_[i], layout.labels[i]);
}

// Runs on every way the window can end: exit commands, the menu, WM_CLOSE
// and the end of the Windows session. A failed write never stops it.
void ConsoleWindow::unload() {
    if (unloaded_) return;
    unloaded_ = true;
    if (settings_writable_) save_settings(file_system_, state_.settings);
    f12_.release();
    remove_tray_icon();
}

void ConsoleWindow::unload_and_exit() {
    unload();
    ExitProcess(0);
}

void ConsoleWindow::on_mouse_down(LPARAM position) {
    const auto x = static_cast<short>(LOWORD(position));
    const auto y = static_cast<short>(HIWORD(position));
    if (icon_menu_requested(x, y, state_.twips_x, twips_per_pixel_y_)) show_menu();
}

void ConsoleWindow::show_menu() {
    if (!menu_.show(window_)) PostMessageW(window_, WM_CLOSE, 0, 0);
}

// An installer asks the console to end. An open menu ends first, and the
// window closes once its loop has returned.
void ConsoleWindow::on_close_request() {
    if (!menu_.end_for_close()) PostMessageW(window_, WM_CLOSE, 0, 0);
}

void ConsoleWindow::on_command(int id) {
    switch (id) {
        case toggle_item: set_visible(!visible()); break;
        case about_item: show_about(); break;
        case quit_item: unload_and_exit(); break;
    }
}

// Messages registered by name, which a switch cannot name: a second start
// of the console asks this one to show itself; a re-created taskbar (after
// Explorer restarted) has lost the icon, which is added again.
bool ConsoleWindow::on_registered_message(UINT message) {
    if (message == show_console_message()) {
        bring_to_front();
        return true;
    }
    if (message == taskbar_created_message()) {
        add_tray_icon(window_, tray_icon_.get());
        return true;
    }
    return false;
}

LRESULT ConsoleWindow::handle(UINT message, WPARAM w, LPARAM l) {
    if (on_registered_message(message)) return 0;
    if (LRESULT result = 0; f12_.handle(message, w, l, result)) return result;
    switch (message) {
        case WM_ERASEBKGND: on_erase_background(reinterpret_cast<HDC>(w)); return 1;
        case WM_DRAWITEM: on_draw_label(*reinterpret_cast<DRAWITEMSTRUCT*>(l)); return TRUE;
        case WM_CTLCOLOREDIT: return on_color_input(reinterpret_cast<HDC>(w));
        case WM_TIMER: f12_.on_poll_tick(); on_poll_tick(state_, *this, keys_); return 0;
        case close_request_message: on_close_request(); return 0;
        case WM_LBUTTONDOWN: on_mouse_down(l); return 0;
        case WM_COMMAND: on_command(LOWORD(w)); return 0;
        case WM_SETFOCUS: SetFocus(input_line_); return 0;
        case WM_DISPLAYCHANGE: on_display_change(); return 0;
        case WM_SETTINGCHANGE: on_setting_change(w); return 0;
        case WM_DPICHANGED: on_dpi_changed(w, *reinterpret_cast<const RECT*>(l)); return 0;
        case WM_CLOSE: unload(); DestroyWindow(window_); return 0;
        case WM_QUERYENDSESSION: return TRUE;
        // The session ends, or an installer closes the console to replace
        // its files (ENDSESSION_CLOSEAPP): it ends as "Выход" does, letting
        // go of its program file.
        case WM_ENDSESSION: if (w) unload_and_exit(); return 0;
        case WM_DESTROY: unload(); PostQuitMessage(0); return 0;
    }
    return DefWindowProcW(window_, message, w, l);
}

LRESULT CALLBACK ConsoleWindow::input_proc(HWND input, UINT message, WPARAM w, LPARAM l) {
    auto* self = reinterpret_cast<ConsoleWindow*>(GetWindowLongPtrW(input, GWLP_USERDATA));
    if (message == WM_CHAR) return self->on_input_char(w);
    return CallWindowProcW(self->input_default_proc_, input, message, w, l);
}

// The key-press handler sees each key before the input line adds it. Enter
// and Tab insert nothing into a single-line box; they are not passed on, so
// that the box does not beep at them.
LRESULT ConsoleWindow::on_input_char(WPARAM character) {
    interpreter_->key_press(static_cast<int>(character));
    if (character == '\r' || character == '\t') return 0;
    return CallWindowProcW(input_default_proc_, input_line_, WM_CHAR, character, 0);
}

void ConsoleWindow::on_erase_background(HDC dc) {
    RECT client{};
    GetClientRect(window_, &client);
    skin_.paint(dc, client);
}

// A history line: the skin behind it, its text over it.
void ConsoleWindow::on_draw_label(const DRAWITEMSTRUCT& item) {
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

LRESULT ConsoleWindow::on_color_input(HDC dc) {
    SetTextColor(dc, text_color_);
    SetBkColor(dc, RGB(0, 0, 0));
    return reinterpret_cast<LRESULT>(input_background_.get());
}

void ConsoleWindow::repaint_all() {
    RedrawWindow(window_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

// ConsoleView

std::string ConsoleWindow::input_text() {
    return window_text(input_line_);
}

void ConsoleWindow::set_input_text(const std::string& text) {
    set_window_text(input_line_, text);
    // The caret after the last character (selection positions count UTF-16 units).
    const auto end = static_cast<WPARAM>(GetWindowTextLengthW(input_line_));
    SendMessageW(input_line_, EM_SETSEL, end, end);
}

std::string ConsoleWindow::history_line(int index) {
    if (index < 0 || index >= history_lines) return {};
    return window_text(history_labels_[index]);
}

void ConsoleWindow::set_history_line(int index, const std::string& text) {
    if (index < 0 || index >= history_lines) return;
    set_window_text(history_labels_[index], text);
    InvalidateRect(history_labels_[index], nullptr, FALSE);
}

bool ConsoleWindow::visible() {
    return IsWindowVisible(window_) != FALSE;
}

void ConsoleWindow::set_visible(bool visible) {
    if (visible) place_on_working_monitor();
    ShowWindow(window_, visible ? SW_SHOW : SW_HIDE);
    if (visible) SetFocus(input_line_);
}

bool ConsoleWindow::in_front() {
    return GetForegroundWindow() == window_;
}

// The band takes the foreground and the caret before it is shown, so that
// keys typed while it is being drawn already land in the input line.
void ConsoleWindow::bring_to_front() {
    place_on_working_monitor();
    const bool in_front = take_foreground(window_);
    SetFocus(input_line_);
    ShowWindow(window_, SW_SHOW);
    // Where Windows would not activate the hidden band, it activates the shown one.
    if (!in_front && take_foreground(window_)) SetFocus(input_line_);
}

void ConsoleWindow::show_about() {
    if (!about_) about_ = std::make_unique<AboutBox>(instance_, icon_, starter_);
    about_->show();
}

void ConsoleWindow::set_text_color(const TextColor& color) {
    text_color_ = to_colorref(color);
    repaint_all();
}

LoadResult ConsoleWindow::load_skin(const std::string& path) {
    RECT client{};
    GetClientRect(window_, &client);
    const LoadResult result = skin_.load(path, SIZE{client.right, client.bottom});
    if (result == LoadResult::ok) repaint_all();
    return result;
}

void ConsoleWindow::set_timer_interval(int milliseconds) {
    f12_.set_poll_interval(milliseconds);
    if (milliseconds > 0)
        SetTimer(window_, timer_id, static_cast<UINT>(milliseconds), nullptr);
    else
        KillTimer(window_, timer_id);
}

}  // namespace vh
