// Setup.exe: the main window "Varnholde_Setup", maximised over the blue
// gradient, with the shadowed title, the maker label and the grey panel
// whose "Далее>>" runs the installation procedure. The window is the
// procedure's InstallerView. Designed as Form1 with Label1/Label2 (title
// shadow and face), Label3 (maker), Frame1 (panel), Label4 (status), Label5
// (count), ProgressBar1, Command1 ("Далее>>") and Command2 (exit).
// With /S (/SILENT, /VERYSILENT) the same procedure runs with no window at
// all, and the exit code tells its result; /LOG=path writes every step to a
// log in either case.
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <utility>

#include "platform/win32/routed_window_proc.h"
#include "platform/win32/system_dll.h"
#include "platform/win32/win_console_sessions.h"
#include "platform/win32/win_desktop_starter.h"
#include "platform/win32/win_file_system.h"
#include "platform/win32/win_handle.h"
#include "platform/win32/win_registry.h"
#include "platform/win32/win_running_console.h"
#include "platform/win32/win_shell_folders.h"
#include "platform/win32/win_system.h"
#include "platform/win32/window_text.h"
#include "setup/error_dialog_win.h"
#include "setup/install_procedure.h"
#include "setup/install_views.h"
#include "shared/gradient_paint_win.h"
#include "shared/product.h"
#include "shared/run_options_win.h"
#include "shared/window_util_win.h"

namespace vh {

namespace {

constexpr const wchar_t* class_name = L"Varnholde_Setup_Main";
constexpr const char* title_text = "Установка Varnholde 1.3";
constexpr const char* maker_text = "Tessarimondale";
constexpr float designed_width = 11655, designed_height = 8685;  // client area, twips
constexpr DWORD form_style = WS_OVERLAPPEDWINDOW;

enum ControlId {
    title_shadow_id = 101,
    title_face_id,
    maker_id,
    panel_id,
    status_id,
    count_id,
    progress_id,
    // Enter and Esc reach the two buttons through the dialog keyboard rules.
    next_id = IDOK,
    exit_id = IDCANCEL,
};

// The installation from the package beside Setup.exe, through the given
// view: the one procedure that "Далее>>" and a silent run both start,
// closing a running console first and starting it again when done.
InstallResult install_from_package(InstallerView& view) {
    WinFileSystem fs;
    WinRegistry registry;
    WinShellFolders shell;
    WinRunningConsole console(product::console_window_class);
    WinDesktopStarter starter;
    WinConsoleSessions sessions;
    return run_installation(fs, registry, view, own_directory(), &shell, &console, &starter,
                            &sessions);
}

void show(HWND control, bool visible) {
    ShowWindow(control, visible ? SW_SHOW : SW_HIDE);
}

class SetupWindow : public InstallerView {
public:
    explicit SetupWindow(StepLog* log) : log_(log) {}
    bool create();
    // The installation's exit code once it has run; 0 before.
    int exit_code() const { return exit_code_; }
    HWND window() const { return window_; }
    HWND dialog() const { return dialog_.window(); }

    // InstallerView.
    void set_status_text(const std::string& text) override { set_text(status_label_, text); }
    void set_status_font_size(int points) override;
    void set_count_text(const std::string& text) override { set_text(count_label_, text); }
    void set_count_visible(bool visible) override { show(count_label_, visible); }
    void set_progress(float value) override;
    void set_progress_visible(bool visible) override { show(progress_bar_, visible); }
    void set_next_visible(bool visible) override { show(next_button_, visible); }
    void set_exit_visible(bool visible) override { show(exit_button_, visible); }
    void set_exit_caption(const std::string& caption) override { set_text(exit_button_, caption); }
    void set_exit_width(int twips) override { set_control_width(exit_button_, twips, scale_); }
    void set_main_enabled(bool enabled) override { EnableWindow(window_, enabled); }
    void show_error_dialog(const std::string& message) override;
    void show_failure(const std::string& message, std::uint32_t windows_error) override;
    void show_log_refusal(const std::string& text) override;
    void beep() override { MessageBeep(MB_OK); }

private:
    friend LRESULT CALLBACK routed_window_proc<SetupWindow>(HWND, UINT, WPARAM, LPARAM);
    void attach(HWND window) { window_ = window; }
    LRESULT handle(UINT message, WPARAM wparam, LPARAM lparam);

    void load();
    void paint();
    void on_next();
    void on_exit();
    LRESULT static_colors(HWND control, HDC dc);
    void create_panel_controls();
    void make_room_below_status();
    // The procedure does not return to the message loop: show each change now.
    static void set_text(HWND control, const std::string& text);

    TwipScale scale_;
    HWND window_ = nullptr;
    ShadowedTitle title_;
    HWND maker_label_ = nullptr, panel_ = nullptr, status_label_ = nullptr, count_label_ = nullptr;
    HWND progress_bar_ = nullptr, next_button_ = nullptr, exit_button_ = nullptr;
    Font title_font_, maker_font_, status_font_, count_font_, button_font_;
    ErrorDialog dialog_;
    bool installing_ = false;
    StepLog* log_;
    int exit_code_ = exit_code::done;
};

bool SetupWindow::create() {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &routed_window_proc<SetupWindow>;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hIcon = LoadIconW(wc.hInstance, MAKEINTRESOURCEW(1));
    wc.hIconSm = static_cast<HICON>(LoadImageW(wc.hInstance, MAKEINTRESOURCEW(1), IMAGE_ICON,
                                               GetSystemMetrics(SM_CXSMICON),
                                               GetSystemMetrics(SM_CYSMICON), 0));
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.lpszClassName = class_name;
    if (!RegisterClassExW(&wc)) return false;

    // Created at its designed size; the load handler places the controls
    // from that size, and only then is the window maximised.
    RECT frame{0, 0, scale_.x(designed_width), scale_.y(designed_height)};
    AdjustWindowRectEx(&frame, form_style, FALSE, 0);
    window_ = CreateWindowExW(0, class_name, L"Varnholde_Setup", form_style, CW_USEDEFAULT,
                             CW_USEDEFAULT, frame.right - frame.left, frame.bottom - frame.top,
                             nullptr, nullptr, wc.hInstance, this);
    return window_ != nullptr;
}

LRESULT SetupWindow::handle(UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
    case WM_CREATE: load(); return 0;
    case WM_ERASEBKGND: return 1;  // the paint handler covers everything
    case WM_PAINT: paint(); return 0;
    case WM_SIZE: InvalidateRect(window_, nullptr, FALSE); return 0;
    case WM_CTLCOLORSTATIC: return static_colors(reinterpret_cast<HWND>(lparam),
                                                 reinterpret_cast<HDC>(wparam));
    case WM_COMMAND:
        if (LOWORD(wparam) == next_id) on_next();
        if (LOWORD(wparam) == exit_id) on_exit();
        return 0;
    case WM_CLOSE: on_exit(); return 0;
    case WM_DESTROY: PostQuitMessage(0); return 0;
    default: return DefWindowProcW(window_, message, wparam, lparam);
    }
}

// W and H are the outer size at load, the designed one.
void SetupWindow::load() {
    RECT outer{};
    GetWindowRect(window_, &outer);
    const float w = scale_.twips_x(outer.right - outer.left);
    const float h = scale_.twips_y(outer.bottom - outer.top);

    title_font_ = create_cyrillic_font(L"Times New Roman", 32.25f, true, true);
    title_ = create_shadowed_title(window_, title_text, {120, 120, 7575, 855},
                                   {240, 120, 7575, 855}, RGB(255, 255, 255), RGB(0, 0, 0),
                                   title_font_.get(), title_face_id, title_shadow_id, scale_);
    maker_font_ = create_cyrillic_font(L"MS Sans Serif", 8.25f, true);
    maker_label_ = create_control(window_, L"Static", maker_text, SS_LEFT | WS_VISIBLE,
                             {w + 1000, h + 1000, 2295, 495}, maker_id, scale_,
                             maker_font_.get());
    panel_ = create_panel(window_, {w / 2 - 1000, h / 2, 6000, 900}, panel_id, scale_);
    create_panel_controls();
}

void SetupWindow::create_panel_controls() {
    status_font_ = create_cyrillic_font(L"MS Sans Serif", 8.25f, true);
    count_font_ = create_cyrillic_font(L"MS Sans Serif", 9.75f, true);
    button_font_ = create_cyrillic_font(L"MS Sans Serif", 8.25f, false);
    status_label_ = create_control(panel_, L"Static", opening_text, SS_CENTER | WS_VISIBLE,
                             {-120, 0, 6255, 615}, status_id, scale_, status_font_.get());
    count_label_ = create_control(panel_, L"Static", "", SS_LEFT | WS_VISIBLE, {1680, 360, 2895, 375},
                             count_id, scale_, count_font_.get());
    progress_bar_ = create_control(panel_, PROGRESS_CLASSW, "", 0, {165, 360, 5655, 375},
                                    progress_id, scale_);
    SendMessageW(progress_bar_, PBM_SETRANGE32, 0, 100);
    next_button_ = create_control(panel_, L"Button", "Далее>>",
                               BS_DEFPUSHBUTTON | WS_TABSTOP | WS_VISIBLE,
                               {3120, 480, 2655, 375}, next_id, scale_, button_font_.get());
    exit_button_ = create_control(panel_, L"Button", "Выход.", BS_PUSHBUTTON | WS_TABSTOP | WS_VISIBLE,
                               {200, 480, 2655, 375}, exit_id, scale_, button_font_.get());
}

void SetupWindow::paint() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window_, &ps);
    RECT client{};
    GetClientRect(window_, &client);
    exclude_child(dc, window_, panel_);
    paint_gradient(dc, client.right, client.bottom);
    paint_shadowed_title(dc, window_, title_);
    EndPaint(window_, &ps);
}

// The maker label is transparent over the gradient (the title paints with it).
LRESULT SetupWindow::static_colors(HWND control, HDC dc) {
    if (control == maker_label_) {
        SetTextColor(dc, RGB(255, 255, 255));
        SetBkMode(dc, TRANSPARENT);
        return reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH));
    }
    return DefWindowProcW(window_, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                          reinterpret_cast<LPARAM>(control));
}

// Runs once: the button is hidden at the procedure's first step; Enter
// arrives here too, so a hidden button is ignored.
void SetupWindow::on_next() {
    if (installing_ || !IsWindowVisible(next_button_)) return;
    installing_ = true;
    exit_code_ = run_logged(*this, log_, install_from_package);
}

void SetupWindow::on_exit() {
    if (IsWindowVisible(exit_button_)) DestroyWindow(window_);
}

void SetupWindow::show_failure(const std::string& message, std::uint32_t) {
    set_text(status_label_, message);
    make_room_below_status();
}

void SetupWindow::show_log_refusal(const std::string& text) {
    set_text(status_label_, window_text(status_label_) + "\r\n" + text);
    make_room_below_status();
}

// A failure names a file by its whole path and can take three or four lines
// of the status label, reaching into the buttons' row: the label takes the
// height of its text, the exit button moves below it where the two would
// overlap, and the panel grows to hold both.
void SetupWindow::make_room_below_status() {
    const int length = GetWindowTextLengthW(status_label_);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    GetWindowTextW(status_label_, text.data(), length + 1);
    RECT label{}, button{}, panel{};
    GetWindowRect(status_label_, &label);
    GetWindowRect(exit_button_, &button);
    GetWindowRect(panel_, &panel);
    RECT measured{0, 0, label.right - label.left, 0};
    HDC dc = GetDC(status_label_);
    HGDIOBJ old_font = SelectObject(dc, status_font_.get());
    DrawTextW(dc, text.c_str(), -1, &measured, DT_CALCRECT | DT_WORDBREAK | DT_CENTER);
    SelectObject(dc, old_font);
    ReleaseDC(status_label_, dc);

    const int flags = SWP_NOZORDER | SWP_NOACTIVATE;
    SetWindowPos(status_label_, nullptr, 0, 0, label.right - label.left, measured.bottom,
                 flags | SWP_NOMOVE);
    const int gap = 4;
    const int text_bottom = label.top + measured.bottom;  // screen pixels
    const int grow = text_bottom + gap - button.top;
    if (grow <= 0) {
        RedrawWindow(panel_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        return;
    }
    POINT button_at{button.left, button.top + grow};
    ScreenToClient(panel_, &button_at);
    SetWindowPos(exit_button_, nullptr, button_at.x, button_at.y, 0, 0, flags | SWP_NOSIZE);
    SetWindowPos(panel_, nullptr, 0, 0, panel.right - panel.left,
                 panel.bottom - panel.top + grow, flags | SWP_NOMOVE);
    RedrawWindow(window_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

// The label takes the new font before the old one is deleted: a label must
// never be left holding a deleted font.
void SetupWindow::set_status_font_size(int points) {
    Font font = create_cyrillic_font(L"MS Sans Serif", static_cast<float>(points), true);
    set_font(status_label_, font.get());
    status_font_ = std::move(font);
    UpdateWindow(status_label_);
}

void SetupWindow::set_progress(float value) {
    SendMessageW(progress_bar_, PBM_SETPOS, static_cast<WPARAM>(value + 0.5f), 0);
    UpdateWindow(progress_bar_);
}

void SetupWindow::show_error_dialog(const std::string& message) {
    dialog_.show(window_, message, scale_);
}

void SetupWindow::set_text(HWND control, const std::string& text) {
    set_window_text(control, text);
    UpdateWindow(control);
}

int run() {
    RunOptions options;
    if (options.refused()) return exit_code::bad_switch;
    if (options.silent()) {
        SilentInstallerView nothing_shown;
        return run_logged(nothing_shown, options.log(), install_from_package);
    }
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    SetupWindow setup(options.log());
    if (!setup.create()) return 1;
    ShowWindow(setup.window(), SW_SHOWMAXIMIZED);
    UpdateWindow(setup.window());
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (setup.dialog() && IsDialogMessageW(setup.dialog(), &msg)) continue;
        if (IsDialogMessageW(setup.window(), &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return setup.exit_code();
}

}  // namespace

}  // namespace vh

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    vh::restrict_dll_search();
    vh::enforce_redirection_trust();
    return vh::run();
}
