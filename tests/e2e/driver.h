// The end-to-end test driver: starts the real programs, finds their windows
// and controls, reads texts and geometry, types keys with SendInput, clicks
// buttons, and takes screenshots. Runs under Wine beside the programs.
#pragma once

#include <windows.h>

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace vh::e2e {

using namespace std::chrono_literals;
using Duration = std::chrono::milliseconds;

// Paths handed in by the test runner (Windows paths).
std::string bin_dir();     // the Windows build folder
std::string assets_dir();  // the project's assets
std::string shots_dir();   // where screenshots go

class Program {
public:
    Program() = default;
    Program(Program&& other) noexcept;
    Program& operator=(Program&& other) noexcept;
    Program(const Program&) = delete;
    ~Program();  // a program still running at the end of a test is ended

    static Program start(const std::string& exe, const std::string& arguments = {},
                         const std::string& working_dir = {});
    DWORD id() const { return id_; }
    bool running() const;
    bool wait_exit(Duration timeout);
    void kill();

private:
    HANDLE process_ = nullptr;
    DWORD id_ = 0;
};

// Polls until the predicate holds or the time is up.
bool wait_until(const std::function<bool()>& condition, Duration timeout = 5s);

// Top-level windows of a process (visible or not), optionally of a class.
std::vector<HWND> top_windows(DWORD process_id, const char* window_class = nullptr);
HWND wait_for_window(DWORD process_id, const std::function<bool(HWND)>& match,
                     Duration timeout = 10s);
// Any top-level window whose title equals the text.
HWND find_window_titled(const std::string& title);

std::vector<HWND> children(HWND parent, const char* control_class = nullptr);
HWND child_with_text(HWND parent, const std::string& text);

std::string text_of(HWND window);  // WM_GETTEXT, in the ANSI code page
bool set_text(HWND window, const std::string& text);
RECT screen_rect(HWND window);
RECT rect_in_parent(HWND control);
bool visible(HWND window);

// Keyboard input to whatever window has the focus.
void bring_to_front(HWND window);
void type_text(const std::string& ansi_text);
void press_key(WORD virtual_key, Duration hold = 30ms);
void click(HWND button);  // BM_CLICK, posted so a handler that ends the program cannot block

// Mouse input at a screen point: a right-button press and release.
void right_click_at(POINT screen_point);
// The centre of the pixels inside a screen rectangle whose colour matches.
std::optional<POINT> find_pixels(const RECT& area, bool (*match)(COLORREF));

// The console's notification icon (its picture: a yellow cursor on a navy
// tile) at the taskbar's right end; a pop-up menu that a process shows.
std::optional<POINT> find_console_tray_icon();
HWND wait_for_popup_menu(DWORD process_id, Duration timeout = 5s);

// Top-level windows of any process, of a class, that are visible.
std::vector<HWND> visible_windows_of_class(const char* window_class);
// Ends every process that owns a visible top-level window of that class.
void close_windows_of_class(const char* window_class);

// Saves the whole screen as a BMP named <name>.bmp in shots_dir().
void screenshot(const std::string& name);
// The colour of one screen pixel.
COLORREF pixel_at(int x, int y);

// Files and registry, as the checks need them.
std::optional<std::string> read_file(const std::string& path);
bool write_file(const std::string& path, const std::string& content);
bool copy_file(const std::string& from, const std::string& to);
bool file_exists(const std::string& path);
void make_dirs(const std::string& path);
void remove_tree(const std::string& path);
// view 0 is the program's own view of the registry; KEY_WOW64_32KEY and
// KEY_WOW64_64KEY name one of the two views of 64-bit Windows.
std::optional<std::string> registry_string(HKEY root, const std::string& key,
                                           const std::string& value, REGSAM view = 0);
bool set_registry_string(HKEY root, const std::string& key, const std::string& value,
                         const std::string& text, REGSAM view = 0);
void delete_registry_value(HKEY root, const std::string& key, const std::string& value,
                           REGSAM view = 0);

// True when this 32-bit program runs on 64-bit Windows (under WOW64).
bool under_wow64();

}  // namespace vh::e2e
