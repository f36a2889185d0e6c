#include "console/about_win.h"

#include <string>
#include <vector>

#include "platform/win32/system_dll.h"
#include "platform/win32/wide.h"
#include "platform/win32/win_system.h"
#include "platform/win32/window_text.h"
#include "shared/product.h"

namespace vh {

namespace {

constexpr int client_size = 3135;  // twips, square
// A fixed editor: the Windows directory is not looked up.
constexpr char notepad[] = "c:\\windows\\notepad.exe";
constexpr char maker_line[] = "Команда Tessarimondale, 2026\r\nvarnholde@tsm.example";

enum ControlId { icon_id = 200, title_id, version_id, disclaimer_id, readme_button_id, maker_id };

// A dialog template with no controls: they are created in code so that
// each gets its own font and exact place.
struct EmptyDialogTemplate {
    DLGTEMPLATE header;
    WORD menu = 0, window_class = 0, title = 0;
};

// The program's own version resource, read through the version DLL of the
// system folder; empty when either cannot be had.
struct VersionResource {
    SystemDll dll{"version.dll"};
    decltype(VerQueryValueW)* query = dll.function<decltype(VerQueryValueW)>("VerQueryValueW");
    std::vector<char> data;
    explicit VersionResource() {
        auto* size_of = dll.function<decltype(GetFileVersionInfoSizeW)>("GetFileVersionInfoSizeW");
        auto* read = dll.function<decltype(GetFileVersionInfoW)>("GetFileVersionInfoW");
        if (!size_of || !read || !query) return;
        const std::wstring path = to_wide(module_path());
        DWORD ignored = 0;
        const DWORD size = size_of(path.c_str(), &ignored);
        if (size == 0) return;
        data.resize(size);
        if (!read(path.c_str(), 0, size, data.data())) data.clear();
    }
    const VS_FIXEDFILEINFO* fixed() {
        void* info = nullptr;
        UINT length = 0;
        if (data.empty() || !query(data.data(), L"\\", &info, &length)) return nullptr;
        return static_cast<const VS_FIXEDFILEINFO*>(info);
    }
    std::string string_value(const wchar_t* name) {
        struct Translation { WORD language, code_page; };
        Translation* translation = nullptr;
        UINT length = 0;
        if (data.empty() ||
            !query(data.data(), L"\\VarFileInfo\\Translation",
                   reinterpret_cast<void**>(&translation), &length) ||
            length < sizeof(Translation))
            return {};
        wchar_t path[80];
        wsprintfW(path, L"\\StringFileInfo\\%04x%04x\\%s", translation->language,
                  translation->code_page, name);
        wchar_t* value = nullptr;
        if (!query(data.data(), path, reinterpret_cast<void**>(&value), &length) || !value)
            return {};
        return to_utf8(value);
    }
};

}  // namespace

std::string program_version_text() {
    VersionResource resource;
    const VS_FIXEDFILEINFO* info = resource.fixed();
    if (!info) return "Version";
    return "Version " + std::to_string(HIWORD(info->dwFileVersionMS)) + "." +
           std::to_string(LOWORD(info->dwFileVersionMS)) + "." +
           std::to_string(LOWORD(info->dwFileVersionLS));
}

std::string program_title() {
    VersionResource resource;
    return resource.string_value(L"ProductName");
}

AboutBox::AboutBox(HINSTANCE instance, HICON icon, ProcessStarter& starter)
    : instance_(instance), icon_(icon), starter_(starter) {}

AboutBox::~AboutBox() {
    if (dialog_) DestroyWindow(dialog_);
}

void AboutBox::show() {
    if (!dialog_) {
        EmptyDialogTemplate dialog_template{};
        dialog_template.header.style = WS_POPUP | DS_MODALFRAME | WS_VISIBLE;
        dialog_ = CreateDialogIndirectParamW(instance_, &dialog_template.header, nullptr,
                                             dialog_proc, reinterpret_cast<LPARAM>(this));
    }
    if (dialog_) {
        ShowWindow(dialog_, SW_SHOW);
        SetForegroundWindow(dialog_);
    }
}

bool AboutBox::is_dialog_message(MSG& message) {
    return dialog_ && IsDialogMessageW(dialog_, &message);
}

INT_PTR CALLBACK AboutBox::dialog_proc(HWND dialog, UINT message, WPARAM w, LPARAM l) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrW(dialog, DWLP_USER, l);
        reinterpret_cast<AboutBox*>(l)->dialog_ = dialog;
    }
    auto* self = reinterpret_cast<AboutBox*>(GetWindowLongPtrW(dialog, DWLP_USER));
    return self ? self->handle(message, w, l) : FALSE;
}

INT_PTR AboutBox::handle(UINT message, WPARAM w, LPARAM l) {
    switch (message) {
        case WM_INITDIALOG: load(); return FALSE;  // the focus is set on "Понял!"
        case WM_COMMAND:
            switch (LOWORD(w)) {
                case IDOK:
                case IDCANCEL: close(); return TRUE;
                case readme_button_id: open_readme(); return TRUE;
            }
            return FALSE;
        case WM_CTLCOLORSTATIC:
            return reinterpret_cast<INT_PTR>(
                on_color_label(reinterpret_cast<HDC>(w), reinterpret_cast<HWND>(l)));
        case WM_PAINT: {
            PAINTSTRUCT paint;
            HDC dc = BeginPaint(dialog_, &paint);
            paint_lines(dc);
            EndPaint(dialog_, &paint);
            return TRUE;
        }
        case WM_DESTROY: dialog_ = nullptr; return TRUE;
    }
    return FALSE;
}

void AboutBox::load() {
    title_font_ = create_cyrillic_font(L"Arial Black", 18, false);
    version_font_ = create_cyrillic_font(L"Arial Black", 9.75f, false);
    text_font_ = create_cyrillic_font(L"MS Sans Serif", 8.25f, true);

    // The client area is square; the box opens centred on the screen.
    RECT frame{0, 0, scale_.x(client_size), scale_.y(client_size)};
    AdjustWindowRectEx(&frame, GetWindowLongW(dialog_, GWL_STYLE), FALSE,
                       GetWindowLongW(dialog_, GWL_EXSTYLE));
    const int width = frame.right - frame.left, height = frame.bottom - frame.top;
    SetWindowPos(dialog_, nullptr, (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
                 (GetSystemMetrics(SM_CYSCREEN) - height) / 2, width, height, SWP_NOZORDER);
    create_controls();

    set_window_text(version_label_, program_version_text());
    set_window_text(title_label_, program_title());
}

void AboutBox::create_controls() {
    HFONT dialog_font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    // Created in tab order: "Понял!" first, so it has the focus.
    HWND ok = add(L"BUTTON", "Понял!", WS_TABSTOP | BS_DEFPUSHBUTTON, 277, 2645, 2580, 345, IDOK,
                  dialog_font);
    HWND icon = add(L"STATIC", "", SS_ICON, 240, 240, 540, 540, icon_id, nullptr);
    SendMessageW(icon, STM_SETICON, reinterpret_cast<WPARAM>(icon_), 0);
    title_label_ = add(L"STATIC", "Varnholde", SS_CENTER, 840, 120, 2115, 465, title_id,
                       title_font_.get());
    version_label_ = add(L"STATIC", "Version", SS_CENTER, 840, 600, 2085, 225, version_id,
                         version_font_.get());
    disclaimer_label_ = add(L"STATIC", "Вся инфа по использованию консоли в ReadMe файле",
                            SS_LEFT, 240, 1080, 2655, 465, disclaimer_id, text_font_.get());
    add(L"BUTTON", "ReadMe", WS_TABSTOP | BS_PUSHBUTTON, 277, 1560, 2580, 345, readme_button_id,
        dialog_font);
    add(L"STATIC", maker_line, SS_CENTER, 225, 2040, 2685, 570, maker_id, text_font_.get());
    SetFocus(ok);
}

HWND AboutBox::add(const wchar_t* klass, const char* text, DWORD style, int left, int top,
                   int width, int height, int id, HFONT font) {
    HWND control = CreateWindowExW(0, klass, to_wide(text).c_str(), WS_CHILD | WS_VISIBLE | style,
                                   scale_.x(left), scale_.y(top), scale_.x(width),
                                   scale_.y(height), dialog_,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance_,
                                   nullptr);
    if (font) SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return control;
}

// Notepad opens the read-me while the box stays open. When it cannot be
// started the box says so in its own text and stays usable.
void AboutBox::open_readme() {
    const std::string command = std::string(notepad) + " " + product::readme_file;
    if (starter_.start(command, WindowShow::normal) != StartResult::ok)
        set_window_text(disclaimer_label_, std::string("Не удалось запустить Блокнот: ") + notepad);
}

void AboutBox::close() {
    DestroyWindow(dialog_);
}

HBRUSH AboutBox::on_color_label(HDC dc, HWND label) {
    SetTextColor(dc, label == title_label_ ? RGB(0, 0, 255) : RGB(0, 0, 0));
    SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
    return GetSysColorBrush(COLOR_BTNFACE);
}

// The etched double frame and the two etched separators.
void AboutBox::paint_lines(HDC dc) {
    struct Line { COLORREF color; int width, x1, y1, x2, y2; };
    const COLORREF shadow = GetSysColor(COLOR_3DSHADOW), white = RGB(255, 255, 255);
    const Line lines[] = {
        {shadow, 1, 120, 120, 3000, 120},    {white, 1, 120, 135, 3000, 135},
        {shadow, 1, 105, 3060, 105, 120},    {white, 1, 120, 3060, 120, 120},
        {white, 1, 3015, 3060, 3015, 120},   {shadow, 1, 3000, 3060, 3000, 120},
        {shadow, 1, 3000, 3045, 120, 3045},  {white, 1, 3000, 3060, 120, 3060},
        {white, 1, 3000, 975, 120, 975},     {shadow, 1, 3000, 960, 120, 960},
        {RGB(128, 128, 128), 1, 90, 1965, 3000, 1965}, {white, 2, 105, 1980, 3000, 1980},
    };
    for (const Line& line : lines) {
        Pen pen(CreatePen(PS_SOLID, line.width, line.color));
        HGDIOBJ old = SelectObject(dc, pen.get());
        MoveToEx(dc, scale_.x(line.x1), scale_.y(line.y1), nullptr);
        LineTo(dc, scale_.x(line.x2), scale_.y(line.y2));
        SelectObject(dc, old);
    }
}

}  // namespace vh
