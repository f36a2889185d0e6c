// Uninstall.exe: the window UninstallWindow that asks whether to remove the product
// and, on "Да", shows the uninstall procedure's progress and outcome. With
// /S (/SILENT, /VERYSILENT) the same procedure runs at once with no window
// and no question, and the exit code tells its outcome; /LOG=path writes
// every step to a log in either case.
#include <windows.h>
#include <commctrl.h>

#include <cmath>

#include "platform/win32/routed_window_proc.h"
#include "platform/win32/system_dll.h"
#include "platform/win32/win_console_sessions.h"
#include "platform/win32/win_file_system.h"
#include "platform/win32/win_registry.h"
#include "platform/win32/win_running_console.h"
#include "platform/win32/win_shell_folders.h"
#include "platform/win32/win_system.h"
#include "platform/win32/wide.h"
#include "platform/win32/window_text.h"
#include "shared/gradient_paint_win.h"
#include "shared/product.h"
#include "shared/run_options_win.h"
#include "shared/window_util_win.h"
#include "uninstall/uninstall_layout.h"
#include "uninstall/uninstall_procedure.h"
#include "uninstall/uninstall_texts.h"
#include "uninstall/uninstall_views.h"

namespace vh {
namespace {

namespace layout = uninstall_layout;

// Control ids; 1 and 2 (IDOK, IDCANCEL) are left free so that Esc does nothing.
enum ControlId {
    title_shadow_id = 100,
    title_face_id = 101,
    panel_id = 200,
    message_id = 201,
    progress_id = 202,
    no_id = 203,  // "Нет", later "Выход"
    yes_id = 204,  // "Да"
};

constexpr const wchar_t* window_class = L"VarnholdeUninstall";
constexpr const wchar_t* panel_font = L"MS Sans Serif";

TwipRect twips(const layout::Box& box) {
    return {box.left, box.top, box.width, box.height};
}

std::string system_directory() {
    wchar_t buffer[MAX_PATH] = {};
    const UINT n = GetSystemDirectoryW(buffer, MAX_PATH);
    return n > 0 && n < MAX_PATH ? to_utf8(std::wstring_view(buffer, n))
                                 : std::string("C:\\Windows\\System32");
}

// The removal of the product around this uninstaller, through the given
// view: the one procedure that "Да" and a silent run both start.
UninstallOutcome uninstall_here(UninstallView& view) {
    WinFileSystem fs;
    WinRegistry registry;
    WinProcessStarter processes;
    WinRunningConsole console(product::console_window_class);
    WinShellFolders shell;
    WinConsoleSessions sessions;
    const UninstallSystem system{fs,
                                 registry,
                                 processes,
                                 own_directory(),
                                 own_file_name(),
                                 system_directory() + "\\cmd.exe",
                                 &console,
                                 &shell,
                                 &sessions};
    return run_uninstall(system, view);
}

class UninstallWindow final : public UninstallView {
public:
    explicit UninstallWindow(StepLog* log) : log_(log) {}
    bool create(HINSTANCE instance);
    void load();
    bool is_dialog_message(MSG& message) { return IsDialogMessageW(window_, &message) != 0; }

    void set_question_buttons_visible(bool visible) override;
    void set_message(const std::string& text) override;
    void show_log_refusal(const std::string& text) override {
        set_message(window_text(message_label_) + "\r\n" + text);
    }
    void set_message_size(float points) override;
    void set_progress_visible(bool visible) override;
    float progress() override { return progress_; }
    void set_progress(float value) override;
    void show_exit_button() override;

private:
    friend LRESULT CALLBACK routed_window_proc<UninstallWindow>(HWND, UINT, WPARAM, LPARAM);
    void attach(HWND window) { window_ = window; }
    LRESULT handle(UINT message, WPARAM wparam, LPARAM lparam);

    void create_controls();
    void paint();
    void on_command(int id);
    void on_no_or_exit();
    void on_yes();
    LRESULT default_button() const;
    void next_control(bool backward);
    void show(HWND control, bool visible);

    HWND window_ = nullptr;
    HWND panel_ = nullptr, message_label_ = nullptr, progress_bar_ = nullptr;
    HWND no_button_ = nullptr, yes_button_ = nullptr;
    ShadowedTitle title_;
    TwipScale scale_;
    Font title_font_, message_font_, button_font_;
    float progress_ = 0;
    StepLog* log_;
    int exit_code_ = exit_code::done;  // the procedure's, once it has run
};

bool UninstallWindow::create(HINSTANCE instance) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_HREDRAW | CS_VREDRAW;  // the gradient depends on the whole size
    wc.lpfnWndProc = routed_window_proc<UninstallWindow>;
    wc.hInstance = instance;
    wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(1));
    wc.hIconSm = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(1), IMAGE_ICON,
                                               GetSystemMetrics(SM_CXSMICON),
                                               GetSystemMetrics(SM_CYSMICON), 0));
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.lpszClassName = window_class;
    if (!RegisterClassExW(&wc)) return false;

    // The designed client area, grown to the outer size of the frame.
    RECT r = scale_.pixels(twips(layout::client));
    const DWORD style = WS_OVERLAPPEDWINDOW;
    AdjustWindowRectEx(&r, style, FALSE, 0);
    window_ = CreateWindowExW(0, window_class, to_wide(uninstall_text::caption).c_str(), style, r.left, r.top,
                              r.right - r.left, r.bottom - r.top, nullptr, nullptr, instance,
                              this);
    return window_ != nullptr;
}

LRESULT UninstallWindow::handle(UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
    case WM_CREATE: create_controls(); return 0;
    case WM_ERASEBKGND: return 1;  // the paint handler covers every pixel
    case WM_PAINT: paint(); return 0;
    case WM_COMMAND: on_command(LOWORD(wparam)); return 0;
    case DM_GETDEFID: return default_button();
    case WM_NEXTDLGCTL: next_control(wparam != 0); return 0;
    case WM_DESTROY: PostQuitMessage(0); return 0;
    default: return DefWindowProcW(window_, message, wparam, lparam);
    }
}

// The controls in their designed state: the title, and the panel with the
// message, the hidden progress bar and the two buttons.
void UninstallWindow::create_controls() {
    title_font_ = create_cyrillic_font(L"Times New Roman", 32.25f, true, true);
    message_font_ = create_cyrillic_font(panel_font, 12, true);
    button_font_ = create_cyrillic_font(panel_font, 9.75f, true);

    title_ = create_shadowed_title(window_, uninstall_text::title, twips(layout::title_face),
                                    twips(layout::title_shadow), RGB(255, 255, 255),
                                    GetSysColor(COLOR_BTNTEXT), title_font_.get(), title_face_id,
                                    title_shadow_id, scale_);
    panel_ = create_panel(window_, twips(layout::panel), panel_id, scale_);
    message_label_ = create_control(panel_, L"STATIC", "", WS_VISIBLE | SS_CENTER | SS_NOPREFIX,
                             twips(layout::message), message_id, scale_, message_font_.get());
    progress_bar_ = create_control(panel_, PROGRESS_CLASSW, "", 0, twips(layout::progress),
                                   progress_id, scale_);
    SendMessageW(progress_bar_, PBM_SETRANGE32, 0, 100);
    no_button_ = create_control(panel_, L"BUTTON", uninstall_text::no,
                               WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, twips(layout::no_button),
                               no_id, scale_, button_font_.get());
    yes_button_ = create_control(panel_, L"BUTTON", uninstall_text::yes,
                               WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON,
                               twips(layout::yes_button), yes_id, scale_, button_font_.get());
}

void UninstallWindow::load() {
    // The first ShowWindow of a process may follow the starter's show
    // command instead; the second one maximises in any case.
    ShowWindow(window_, SW_SHOWMAXIMIZED);
    if (!IsZoomed(window_)) ShowWindow(window_, SW_SHOWMAXIMIZED);
    const layout::Point origin =
        layout::panel_origin(screen_width_twips(scale_), screen_height_twips(scale_));
    move_control(panel_, origin.left, origin.top, scale_);
    set_window_text(message_label_, uninstall_text::question);
    SetFocus(no_button_);  // the first button in tab order
    UpdateWindow(window_);
}

void UninstallWindow::paint() {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window_, &paint);
    exclude_child(dc, window_, panel_);
    RECT client{};
    GetClientRect(window_, &client);
    paint_gradient(dc, client.right, client.bottom);
    paint_shadowed_title(dc, window_, title_);
    EndPaint(window_, &paint);
}

void UninstallWindow::on_command(int id) {
    if (id == no_id) on_no_or_exit();
    if (id == yes_id) on_yes();
}

// "Нет", and later "Выход": the program ends at once.
void UninstallWindow::on_no_or_exit() {
    ExitProcess(static_cast<UINT>(exit_code_));
}

void UninstallWindow::on_yes() {
    exit_code_ = run_logged(*this, log_, uninstall_here);
}

// Enter presses "Да" while it is shown, "Выход" once it has taken its place.
LRESULT UninstallWindow::default_button() const {
    if (IsWindowVisible(yes_button_)) return MAKELRESULT(yes_id, DC_HASDEFID);
    if (IsWindowVisible(no_button_)) return MAKELRESULT(no_id, DC_HASDEFID);
    return 0;
}

// Tab and Shift+Tab, which IsDialogMessage asks a plain window to do.
void UninstallWindow::next_control(bool backward) {
    if (HWND next = GetNextDlgTabItem(window_, GetFocus(), backward)) SetFocus(next);
}

void UninstallWindow::show(HWND control, bool visible) {
    ShowWindow(control, visible ? SW_SHOW : SW_HIDE);
    UpdateWindow(panel_);  // the procedure does not return to the message loop
}

void UninstallWindow::set_question_buttons_visible(bool visible) {
    show(no_button_, visible);
    show(yes_button_, visible);
}

void UninstallWindow::set_message(const std::string& text) {
    set_window_text(message_label_, text);
    UpdateWindow(message_label_);
}

void UninstallWindow::set_message_size(float points) {
    Font font = create_cyrillic_font(panel_font, points, true);
    set_font(message_label_, font.get());
    message_font_ = std::move(font);  // the old font is freed once no longer selected
}

void UninstallWindow::set_progress_visible(bool visible) {
    show(progress_bar_, visible);
}

void UninstallWindow::set_progress(float value) {
    progress_ = value;
    SendMessageW(progress_bar_, PBM_SETPOS, static_cast<WPARAM>(std::lround(value)), 0);
    UpdateWindow(progress_bar_);
}

void UninstallWindow::show_exit_button() {
    set_window_text(no_button_, uninstall_text::exit);
    set_control_width(no_button_, layout::exit_button_width, scale_);
    show(no_button_, true);
    SetFocus(no_button_);
}

}  // namespace
}  // namespace vh

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    vh::restrict_dll_search();
    vh::enforce_redirection_trust();
    static vh::RunOptions options;
    if (options.refused()) return vh::exit_code::bad_switch;
    if (options.silent()) {
        vh::SilentUninstallView nothing_shown;
        return vh::run_logged(nothing_shown, options.log(), vh::uninstall_here);
    }
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);
    static vh::UninstallWindow form(options.log());
    if (!form.create(instance)) return 1;
    form.load();
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (form.is_dialog_message(message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}
