// Setup.exe: `Form1` "Varnholde_Setup", the maximised gradient window with
// the shadowed title, the maker label and the grey panel `Frame1`, whose
// "Далее>>" runs the installation procedure. The window is the procedure's
// InstallerView.
#include <windows.h>
#include <commctrl.h>

#include <string>

#include "platform/win32/routed_window_proc.h"
#include "platform/win32/win_file_system.h"
#include "platform/win32/win_handle.h"
#include "platform/win32/win_registry.h"
#include "platform/win32/win_shell_folders.h"
#include "platform/win32/win_system.h"
#include "platform/win32/window_text.h"
#include "setup/error_dialog_win.h"
#include "setup/install_procedure.h"
#include "shared/gradient_paint_win.h"
#include "shared/window_util_win.h"

namespace vh {

namespace {

constexpr const wchar_t* class_name = L"Varnholde_Setup_Form1";
constexpr const char* title_text = "Установка Varnholde 1.3";
constexpr const char* maker_text = "Tessarimondale";
constexpr float designed_width = 11655, designed_height = 8685;  // client area, twips
constexpr DWORD form_style = WS_OVERLAPPEDWINDOW;

enum ControlId {
    label1_id = 101,  // title shadow
    label2_id,        // title face
    label3_id,        // maker
    frame1_id,
    label4_id,
    label5_id,
    progress_bar1_id,
    // Enter and Esc reach the two buttons through the dialog keyboard rules.
    command1_id = IDOK,
    command2_id = IDCANCEL,
};

void show(HWND control, bool visible) {
    ShowWindow(control, visible ? SW_SHOW : SW_HIDE);
}

class SetupWindow : public InstallerView {
public:
    bool create();
    HWND window() const { return form1_; }
    HWND dialog() const { return dialog_.window(); }

    // InstallerView.
    void set_status_text(const std::string& text) override { set_text(label4_, text); }
    void set_status_font_size(int points) override;
    void set_count_text(const std::string& text) override { set_text(label5_, text); }
    void set_count_visible(bool visible) override { show(label5_, visible); }
    void set_progress(float value) override;
    void set_progress_visible(bool visible) override { show(progress_bar1_, visible); }
    void set_next_visible(bool visible) override { show(command1_, visible); }
    void set_exit_visible(bool visible) override { show(command2_, visible); }
    void set_exit_caption(const std::string& caption) override { set_text(command2_, caption); }
    void set_exit_width(int twips) override { set_control_width(command2_, twips, scale_); }
    void set_main_enabled(bool enabled) override { EnableWindow(form1_, enabled); }
    void show_error_dialog(const std::string& message) override;
    void beep() override { MessageBeep(MB_OK); }

private:
    friend LRESULT CALLBACK routed_window_proc<SetupWindow>(HWND, UINT, WPARAM, LPARAM);
    void attach(HWND window) { form1_ = window; }
    LRESULT handle(UINT message, WPARAM wparam, LPARAM lparam);

    void Form_Load();
    void Form_Paint();
    void Command1_Click();
    void Command2_Click();
    LRESULT static_colors(HWND control, HDC dc);
    void create_panel_controls();
    // The procedure does not return to the message loop: show each change now.
    static void set_text(HWND control, const std::string& text);

    TwipScale scale_;
    HWND form1_ = nullptr;
    ShadowedTitle title_;
    HWND label3_ = nullptr, frame1_ = nullptr, label4_ = nullptr, label5_ = nullptr;
    HWND progress_bar1_ = nullptr, command1_ = nullptr, command2_ = nullptr;
    Font title_font_, maker_font_, status_font_, count_font_, button_font_;
    ErrorDialog dialog_;
    bool installing_ = false;
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
    form1_ = CreateWindowExW(0, class_name, L"Varnholde_Setup", form_style, CW_USEDEFAULT,
                             CW_USEDEFAULT, frame.right - frame.left, frame.bottom - frame.top,
                             nullptr, nullptr, wc.hInstance, this);
    return form1_ != nullptr;
}

LRESULT SetupWindow::handle(UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
    case WM_CREATE: Form_Load(); return 0;
    case WM_ERASEBKGND: return 1;  // the paint handler covers everything
    case WM_PAINT: Form_Paint(); return 0;
    case WM_SIZE: InvalidateRect(form1_, nullptr, FALSE); return 0;
    case WM_CTLCOLORSTATIC: return static_colors(reinterpret_cast<HWND>(lparam),
                                                 reinterpret_cast<HDC>(wparam));
    case WM_COMMAND:
        if (LOWORD(wparam) == command1_id) Command1_Click();
        if (LOWORD(wparam) == command2_id) Command2_Click();
        return 0;
    case WM_CLOSE: Command2_Click(); return 0;
    case WM_DESTROY: PostQuitMessage(0); return 0;
    default: return DefWindowProcW(form1_, message, wparam, lparam);
    }
}

// W and H are the outer size at load, the designed one.
void SetupWindow::Form_Load() {
    RECT outer{};
    GetWindowRect(form1_, &outer);
    const float w = scale_.twips_x(outer.right - outer.left);
    const float h = scale_.twips_y(outer.bottom - outer.top);

    title_font_ = create_cyrillic_font(L"Times New Roman", 32.25f, true, true);
    title_ = create_shadowed_title(form1_, title_text, {120, 120, 7575, 855},
                                   {240, 120, 7575, 855}, RGB(255, 255, 255), RGB(0, 0, 0),
                                   title_font_.get(), label2_id, label1_id, scale_);
    maker_font_ = create_cyrillic_font(L"MS Sans Serif", 8.25f, true);
    label3_ = create_control(form1_, L"Static", maker_text, SS_LEFT | WS_VISIBLE,
                             {w + 1000, h + 1000, 2295, 495}, label3_id, scale_,
                             maker_font_.get());
    frame1_ = create_panel(form1_, {w / 2 - 1000, h / 2, 6000, 900}, frame1_id, scale_);
    create_panel_controls();
}

void SetupWindow::create_panel_controls() {
    status_font_ = create_cyrillic_font(L"MS Sans Serif", 8.25f, true);
    count_font_ = create_cyrillic_font(L"MS Sans Serif", 9.75f, true);
    button_font_ = create_cyrillic_font(L"MS Sans Serif", 8.25f, false);
    label4_ = create_control(frame1_, L"Static", opening_text, SS_CENTER | WS_VISIBLE,
                             {-120, 0, 6255, 615}, label4_id, scale_, status_font_.get());
    label5_ = create_control(frame1_, L"Static", "", SS_LEFT | WS_VISIBLE, {1680, 360, 2895, 375},
                             label5_id, scale_, count_font_.get());
    progress_bar1_ = create_control(frame1_, PROGRESS_CLASSW, "", 0, {165, 360, 5655, 375},
                                    progress_bar1_id, scale_);
    SendMessageW(progress_bar1_, PBM_SETRANGE32, 0, 100);
    command1_ = create_control(frame1_, L"Button", "Далее>>",
                               BS_DEFPUSHBUTTON | WS_TABSTOP | WS_VISIBLE,
                               {3120, 480, 2655, 375}, command1_id, scale_, button_font_.get());
    command2_ = create_control(frame1_, L"Button", "Выход.", BS_PUSHBUTTON | WS_TABSTOP | WS_VISIBLE,
                               {200, 480, 2655, 375}, command2_id, scale_, button_font_.get());
}

void SetupWindow::Form_Paint() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(form1_, &ps);
    RECT client{};
    GetClientRect(form1_, &client);
    exclude_child(dc, form1_, frame1_);
    paint_gradient(dc, client.right, client.bottom);
    paint_shadowed_title(dc, form1_, title_);
    EndPaint(form1_, &ps);
}

// The maker label is transparent over the gradient (the title paints with it).
LRESULT SetupWindow::static_colors(HWND control, HDC dc) {
    if (control == label3_) {
        SetTextColor(dc, RGB(255, 255, 255));
        SetBkMode(dc, TRANSPARENT);
        return reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH));
    }
    return DefWindowProcW(form1_, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                          reinterpret_cast<LPARAM>(control));
}

// Runs once: the button is hidden at the procedure's first step; Enter
// arrives here too, so a hidden button is ignored.
void SetupWindow::Command1_Click() {
    if (installing_ || !IsWindowVisible(command1_)) return;
    installing_ = true;
    WinFileSystem fs;
    WinRegistry registry;
    WinShellFolders shell;
    run_installation(fs, registry, *this, own_directory(), &shell);
}

void SetupWindow::Command2_Click() {
    if (IsWindowVisible(command2_)) DestroyWindow(form1_);
}

void SetupWindow::set_status_font_size(int points) {
    status_font_ = create_cyrillic_font(L"MS Sans Serif", static_cast<float>(points), true);
    set_font(label4_, status_font_.get());
    UpdateWindow(label4_);
}

void SetupWindow::set_progress(float value) {
    SendMessageW(progress_bar1_, PBM_SETPOS, static_cast<WPARAM>(value + 0.5f), 0);
    UpdateWindow(progress_bar1_);
}

void SetupWindow::show_error_dialog(const std::string& message) {
    dialog_.show(form1_, message, scale_);
}

void SetupWindow::set_text(HWND control, const std::string& text) {
    set_window_text(control, text);
    UpdateWindow(control);
}

int run() {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    SetupWindow setup;
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
    return 0;
}

}  // namespace

}  // namespace vh

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    return vh::run();
}
