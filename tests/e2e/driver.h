// The end-to-end test driver: starts the real programs, finds their windows
// and controls, reads texts and geometry, types keys with SendInput, clicks
// buttons, and takes screenshots. Runs under Wine beside the programs.
//
// Texts are UTF-8 here and cross to Windows only through the W functions, so
// that what a test sees does not depend on the ANSI code page of the Windows
// it runs on: a control's text is what a screen reader would read.
#pragma once

#include <windows.h>

#include <chrono>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace vh::e2e {

using namespace std::chrono_literals;
using Duration = std::chrono::milliseconds;

// UTF-8 <-> UTF-16, the only conversion the tests use.
std::wstring to_utf16(const std::string& utf8);
std::string to_utf8(const std::wstring& utf16);

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
    // Starts a whole command line as written (its first token the program,
    // found as Windows finds it) and returns at once, without waiting for
    // the program to be ready for input.
    static Program run(const std::string& command_line, const std::string& working_dir = {});
    // Created suspended: its program file is mapped as a running program's
    // is, but it runs no code and opens no window.
    static Program start_suspended(const std::string& exe);
    DWORD id() const { return id_; }
    bool running() const;
    bool wait_exit(Duration timeout);
    // The exit code once the program has ended; nothing while it runs.
    std::optional<DWORD> exit_code() const;
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

std::string class_of(HWND window);
std::string text_of(HWND window);  // WM_GETTEXT through SendMessageTimeoutW
bool set_text(HWND window, const std::string& text);
RECT screen_rect(HWND window);
RECT rect_in_parent(HWND control);
bool visible(HWND window);

// Keyboard input to whatever window has the focus.
void bring_to_front(HWND window);
void type_text(const std::string& text);  // each character as KEYEVENTF_UNICODE
void press_key(WORD virtual_key, Duration hold = 30ms);
void send_key(WORD virtual_key, bool down);  // one key event, no wait
// Presses F12 and waits until the window's visibility is shown_after; then
// waits again as long as that took, and at least 200 ms. Where F12 is the
// console's hot key each press acts at once and the wait costs only time;
// where the console polls F12 instead, it counts the key seen down at two
// ticks in a row as one press, and where the machine is slow (emulated) its
// ticks come late: the next press must not come before a tick has seen the
// key up. False when the visibility never came.
bool toggle_with_f12(HWND window, bool shown_after, Duration hold = 30ms);
// The window with the keyboard focus in the thread that owns the window.
HWND keyboard_focus(HWND window);
void click(HWND button);  // BM_CLICK, posted so a handler that ends the program cannot block

// The item texts of the pop-up menu that a menu window (class "#32768") of
// another process shows, a separator as an empty text; nothing when they
// cannot be read. Read inside that process by menu_probe.dll.
std::optional<std::vector<std::string>> menu_items(HWND menu_window);

// Mouse input at a screen point: a right-button press and release.
void right_click_at(POINT screen_point);
// The centre of the pixels inside a screen rectangle whose colour matches.
std::optional<POINT> find_pixels(const RECT& area, bool (*match)(COLORREF));

// Visible top-level windows of every process.
std::set<HWND> visible_top_windows();
// A visible top-level window that was not there before, whose title or class
// contains the text.
HWND wait_for_new_window(const std::set<HWND>& before, const std::string& mention,
                         Duration timeout = 15s);
// Ends the process that owns the window.
void end_process_of(HWND window);
// The processes that run a program file of that name now.
std::vector<DWORD> processes_named(const wchar_t* exe);
// Ends them all and waits for each, at most 5 s.
void end_processes_named(const wchar_t* exe);

// The console's icon in the notification area: a yellow cursor on a navy
// tile, at the taskbar's right end.
std::optional<POINT> find_console_tray_icon();
// How much of the notification area shows the icon's yellow cursor: about
// twice as much when the icon is there twice.
int tray_icon_pixels();
// The process's pop-up menu window, once it is shown.
HWND wait_for_menu(DWORD process_id, Duration timeout = 5s);

// Top-level windows of any process, of a class, that are visible.
std::vector<HWND> visible_windows_of_class(const char* window_class);
// Ends every process that owns a visible top-level window of that class.
void close_windows_of_class(const char* window_class);

// Saves the whole screen as a BMP named <name>.bmp in shots_dir().
void screenshot(const std::string& name);
// The colour of one screen pixel.
COLORREF pixel_at(int x, int y);
// A copy of a file the programs wrote, as shots_dir()\files\<name>: the test
// command compares these between the runs in different code pages.
void keep_for_comparison(const std::string& path, const std::string& name);

// Files and registry, as the checks need them. Listings are sorted.
std::vector<std::string> files_in(const std::string& folder);
std::vector<std::string> folders_in(const std::string& folder);
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
                         const std::string& data, REGSAM view = 0);
void delete_registry_value(HKEY root, const std::string& key, const std::string& value,
                           REGSAM view = 0);

// True when this 32-bit program runs on 64-bit Windows (under WOW64).
bool under_wow64();

}  // namespace vh::e2e
