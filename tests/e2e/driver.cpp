#include "tests/e2e/driver.h"

#include <tlhelp32.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <thread>
#include <utility>

namespace vh::e2e {

namespace {

std::string environment(const char* name, const char* fallback) {
    const char* value = std::getenv(name);
    return value && *value ? value : fallback;
}

}  // namespace

std::wstring to_utf16(const std::string& utf8) {
    const int size = static_cast<int>(utf8.size());
    const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0);
    std::wstring wide(n, L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, wide.data(), n);
    return wide;
}

std::string to_utf8(const std::wstring& utf16) {
    const int size = static_cast<int>(utf16.size());
    const int n = WideCharToMultiByte(CP_UTF8, 0, utf16.data(), size, nullptr, 0, nullptr, nullptr);
    std::string utf8(n, '\0');
    WideCharToMultiByte(CP_UTF8, 0, utf16.data(), size, utf8.data(), n, nullptr, nullptr);
    return utf8;
}

std::string bin_dir() { return environment("VH_BIN", "."); }
std::string assets_dir() { return environment("VH_ASSETS", "."); }
std::string shots_dir() { return environment("VH_SHOTS", "."); }

Program::Program(Program&& other) noexcept
    : process_(std::exchange(other.process_, nullptr)), id_(std::exchange(other.id_, 0)) {}

Program& Program::operator=(Program&& other) noexcept {
    if (this != &other) {
        kill();
        process_ = std::exchange(other.process_, nullptr);
        id_ = std::exchange(other.id_, 0);
    }
    return *this;
}

Program::~Program() {
    kill();
}

Program Program::start(const std::string& exe, const std::string& arguments,
                       const std::string& working_dir) {
    Program program;
    const std::wstring file = to_utf16(exe), folder = to_utf16(working_dir);
    std::wstring line = L"\"" + file + L"\"";
    if (!arguments.empty()) line += L" " + to_utf16(arguments);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (CreateProcessW(file.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                       folder.empty() ? nullptr : folder.c_str(), &startup, &info)) {
        CloseHandle(info.hThread);
        program.process_ = info.hProcess;
        program.id_ = info.dwProcessId;
        WaitForInputIdle(info.hProcess, 5000);
    }
    return program;
}

Program Program::run(const std::string& command_line, const std::string& working_dir) {
    Program program;
    std::wstring line = to_utf16(command_line);
    const std::wstring folder = to_utf16(working_dir);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                       folder.empty() ? nullptr : folder.c_str(), &startup, &info)) {
        CloseHandle(info.hThread);
        program.process_ = info.hProcess;
        program.id_ = info.dwProcessId;
    }
    return program;
}

Program Program::start_suspended(const std::string& exe) {
    Program program;
    const std::wstring file = to_utf16(exe);
    std::wstring line = L"\"" + file + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (CreateProcessW(file.c_str(), line.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED,
                       nullptr, nullptr, &startup, &info)) {
        CloseHandle(info.hThread);
        program.process_ = info.hProcess;
        program.id_ = info.dwProcessId;
    }
    return program;
}

std::optional<DWORD> Program::exit_code() const {
    DWORD code = 0;
    if (!process_ || running() || !GetExitCodeProcess(process_, &code)) return std::nullopt;
    return code;
}

bool Program::running() const {
    return process_ && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT;
}

bool Program::wait_exit(Duration timeout) {
    return !process_ ||
           WaitForSingleObject(process_, static_cast<DWORD>(timeout.count())) == WAIT_OBJECT_0;
}

void Program::kill() {
    if (!process_) return;
    if (running()) {
        TerminateProcess(process_, 1);
        WaitForSingleObject(process_, 5000);
    }
    CloseHandle(process_);
    process_ = nullptr;
}

bool wait_until(const std::function<bool()>& condition, Duration timeout) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        if (condition()) return true;
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(50ms);
    }
}

namespace {

struct WindowSearch {
    DWORD process_id;  // 0: any process
    std::wstring klass;  // empty: any class
    std::vector<HWND> found;
};

BOOL CALLBACK collect_window(HWND window, LPARAM l) {
    auto* search = reinterpret_cast<WindowSearch*>(l);
    if (search->process_id) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner != search->process_id) return TRUE;
    }
    wchar_t klass[128] = {};
    GetClassNameW(window, klass, 128);
    if (search->klass.empty() || lstrcmpiW(klass, search->klass.c_str()) == 0)
        search->found.push_back(window);
    return TRUE;
}

std::wstring class_wanted(const char* window_class) {
    return window_class ? to_utf16(window_class) : std::wstring();
}

}  // namespace

// process_id 0: windows of every process.
std::vector<HWND> top_windows(DWORD process_id, const char* window_class) {
    WindowSearch search{process_id, class_wanted(window_class), {}};
    EnumWindows(collect_window, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND wait_for_window(DWORD process_id, const std::function<bool(HWND)>& match,
                     Duration timeout) {
    HWND result = nullptr;
    wait_until(
        [&] {
            for (HWND w : top_windows(process_id))
                if (match(w)) {
                    result = w;
                    return true;
                }
            return false;
        },
        timeout);
    return result;
}

HWND find_window_titled(const std::string& title) {
    return FindWindowW(nullptr, to_utf16(title).c_str());
}

std::vector<HWND> children(HWND parent, const char* control_class) {
    WindowSearch search{0, class_wanted(control_class), {}};
    EnumChildWindows(parent, collect_window, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND child_with_text(HWND parent, const std::string& text) {
    for (HWND child : children(parent))
        if (text_of(child) == text) return child;
    return nullptr;
}

std::string class_of(HWND window) {
    wchar_t klass[256] = {};
    const int n = GetClassNameW(window, klass, 256);
    return to_utf8(std::wstring(klass, n > 0 ? n : 0));
}

std::string text_of(HWND window) {
    wchar_t buffer[4096] = {};
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXT, 4096, reinterpret_cast<LPARAM>(buffer),
                             SMTO_ABORTIFHUNG, 3000, &copied))
        return {};
    return to_utf8(std::wstring(buffer, copied));
}

bool set_text(HWND window, const std::string& text) {
    const std::wstring wide = to_utf16(text);
    DWORD_PTR result = 0;
    return SendMessageTimeoutW(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide.c_str()),
                               SMTO_ABORTIFHUNG, 3000, &result) != 0;
}

RECT screen_rect(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    return r;
}

RECT rect_in_parent(HWND control) {
    RECT r = screen_rect(control);
    MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

bool visible(HWND window) {
    return IsWindowVisible(window) != FALSE;
}

void bring_to_front(HWND window) {
    // Another process may take the foreground only in answer to input, so
    // give the window a click-free nudge through the keyboard state first.
    send_key(VK_MENU, true);
    send_key(VK_MENU, false);
    SetForegroundWindow(window);
    std::this_thread::sleep_for(100ms);
}

void type_text(const std::string& text) {
    for (wchar_t c : to_utf16(text)) {
        INPUT input[2]{};
        for (int i = 0; i < 2; ++i) {
            input[i].type = INPUT_KEYBOARD;
            input[i].ki.wScan = c;
            input[i].ki.dwFlags = KEYEVENTF_UNICODE | (i ? KEYEVENTF_KEYUP : 0);
        }
        SendInput(2, input, sizeof(INPUT));
        std::this_thread::sleep_for(5ms);
    }
    std::this_thread::sleep_for(100ms);
}

void send_key(WORD virtual_key, bool down) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = virtual_key;
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(virtual_key, MAPVK_VK_TO_VSC));
    input.ki.dwFlags = down ? 0 : KEYEVENTF_KEYUP;
    SendInput(1, &input, sizeof input);
}

void press_key(WORD virtual_key, Duration hold) {
    send_key(virtual_key, true);
    std::this_thread::sleep_for(hold);
    send_key(virtual_key, false);
    std::this_thread::sleep_for(50ms);
}

bool toggle_with_f12(HWND window, bool shown_after, Duration hold) {
    const auto pressed_at = std::chrono::steady_clock::now();
    press_key(VK_F12, hold);
    if (!wait_until([&] { return visible(window) == shown_after; }, 5s)) return false;
    const auto delay = std::chrono::steady_clock::now() - pressed_at;
    std::this_thread::sleep_for(std::max<std::chrono::steady_clock::duration>(200ms, 2 * delay));
    return true;
}

HWND keyboard_focus(HWND window) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    const DWORD thread = GetWindowThreadProcessId(window, nullptr);
    return thread && GetGUIThreadInfo(thread, &info) ? info.hwndFocus : nullptr;
}

void click(HWND button) {
    PostMessageW(button, BM_CLICK, 0, 0);
}

std::optional<std::vector<std::string>> menu_items(HWND menu_window) {
    // The hook goes on the menu's thread only: thread 0 would hook them all.
    const DWORD thread = GetWindowThreadProcessId(menu_window, nullptr);
    if (!thread) return std::nullopt;
    wchar_t own_path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, own_path, MAX_PATH);
    std::wstring probe_path = own_path;
    probe_path.erase(probe_path.find_last_of(L'\\') + 1);
    HMODULE probe = LoadLibraryW((probe_path + L"menu_probe.dll").c_str());
    if (!probe) return std::nullopt;
    auto* hook_proc = reinterpret_cast<HOOKPROC>(
        reinterpret_cast<void*>(GetProcAddress(probe, "menu_probe_hook")));
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const std::string listing = to_utf8(temp) + "vh_menu_items.txt";
    remove_tree(listing);
    HHOOK hook = hook_proc ? SetWindowsHookExW(WH_CALLWNDPROC, hook_proc, probe, thread) : nullptr;
    if (hook) {
        DWORD_PTR result = 0;
        SendMessageTimeoutW(menu_window, RegisterWindowMessageW(L"VarnholdeTestMenuItems"), 0, 0,
                            SMTO_ABORTIFHUNG, 3000, &result);
        UnhookWindowsHookEx(hook);
    }
    FreeLibrary(probe);
    const auto bytes = read_file(listing);
    if (!hook || !bytes) return std::nullopt;
    std::wstring text(bytes->size() / sizeof(wchar_t), L'\0');
    bytes->copy(reinterpret_cast<char*>(text.data()), text.size() * sizeof(wchar_t));
    std::vector<std::string> items;
    for (std::size_t start = 0, end; (end = text.find(L'\n', start)) != std::wstring::npos;
         start = end + 1)
        items.push_back(to_utf8(text.substr(start, end - start)));
    return items;
}

void right_click_at(POINT point) {
    const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    INPUT input[3]{};
    for (INPUT& i : input) {
        i.type = INPUT_MOUSE;
        i.mi.dx = point.x * 65535 / (width - 1);
        i.mi.dy = point.y * 65535 / (height - 1);
        i.mi.dwFlags = MOUSEEVENTF_ABSOLUTE;
    }
    input[0].mi.dwFlags |= MOUSEEVENTF_MOVE;
    input[1].mi.dwFlags |= MOUSEEVENTF_RIGHTDOWN;
    input[2].mi.dwFlags |= MOUSEEVENTF_RIGHTUP;
    for (INPUT& i : input) {
        SendInput(1, &i, sizeof i);
        std::this_thread::sleep_for(60ms);
    }
}

std::optional<POINT> find_pixels(const RECT& area, bool (*match)(COLORREF)) {
    HDC screen = GetDC(nullptr);
    long sum_x = 0, sum_y = 0, count = 0;
    for (int y = area.top; y < area.bottom; ++y)
        for (int x = area.left; x < area.right; ++x)
            if (match(GetPixel(screen, x, y))) {
                sum_x += x;
                sum_y += y;
                ++count;
            }
    ReleaseDC(nullptr, screen);
    if (count == 0) return std::nullopt;
    return POINT{sum_x / count, sum_y / count};
}

std::set<HWND> visible_top_windows() {
    std::set<HWND> shown;
    for (HWND w : top_windows(0))
        if (visible(w)) shown.insert(w);
    return shown;
}

HWND wait_for_new_window(const std::set<HWND>& before, const std::string& mention,
                         Duration timeout) {
    HWND found = nullptr;
    wait_until(
        [&] {
            for (HWND w : visible_top_windows()) {
                if (before.count(w)) continue;
                if (text_of(w).find(mention) != std::string::npos ||
                    class_of(w).find(mention) != std::string::npos) {
                    found = w;
                    return true;
                }
            }
            return false;
        },
        timeout);
    return found;
}

void end_process_of(HWND window) {
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, owner)) {
        TerminateProcess(process, 0);
        WaitForSingleObject(process, 5000);
        CloseHandle(process);
    }
}

std::optional<POINT> find_console_tray_icon() {
    HWND taskbar = FindWindowW(L"Shell_TrayWnd", nullptr);
    if (!taskbar) return std::nullopt;
    RECT r = screen_rect(taskbar);
    r.left = std::max(r.left, r.right - 200L);
    const auto cursor = find_pixels(r, [](COLORREF c) {
        return GetRValue(c) > 180 && GetGValue(c) > 180 && GetBValue(c) < 90;
    });
    if (!cursor) return std::nullopt;
    return POINT{cursor->x - 3, cursor->y - 3};
}

int tray_icon_pixels() {
    HWND taskbar = FindWindowW(L"Shell_TrayWnd", nullptr);
    if (!taskbar) return 0;
    RECT r = screen_rect(taskbar);
    r.left = std::max(r.left, r.right - 200L);
    HDC screen = GetDC(nullptr);
    int count = 0;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x) {
            const COLORREF c = GetPixel(screen, x, y);
            if (GetRValue(c) > 180 && GetGValue(c) > 180 && GetBValue(c) < 90) ++count;
        }
    ReleaseDC(nullptr, screen);
    return count;
}

HWND wait_for_menu(DWORD process_id, Duration timeout) {
    return wait_for_window(
        process_id, [](HWND w) { return class_of(w) == "#32768" && visible(w); }, timeout);
}

std::vector<HWND> visible_windows_of_class(const char* window_class) {
    std::vector<HWND> shown;
    for (HWND w : top_windows(0, window_class))
        if (visible(w)) shown.push_back(w);
    return shown;
}

void close_windows_of_class(const char* window_class) {
    for (HWND w : visible_windows_of_class(window_class)) {
        DWORD owner = 0;
        GetWindowThreadProcessId(w, &owner);
        HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, owner);
        if (!process) continue;
        TerminateProcess(process, 0);
        WaitForSingleObject(process, 5000);
        CloseHandle(process);
    }
}

void screenshot(const std::string& name) {
    const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, 0, 0, SRCCOPY);
    SelectObject(memory, old);
    const DWORD row = ((width * 3 + 3) / 4) * 4, size = row * height;
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info.bmiHeader;
    file.bfSize = file.bfOffBits + size;
    std::string bytes(reinterpret_cast<const char*>(&file), sizeof file);
    bytes.append(reinterpret_cast<const char*>(&info.bmiHeader), sizeof info.bmiHeader);
    bytes.append(static_cast<const char*>(bits), size);
    write_file(shots_dir() + "\\" + name + ".bmp", bytes);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
}

COLORREF pixel_at(int x, int y) {
    HDC screen = GetDC(nullptr);
    const COLORREF color = GetPixel(screen, x, y);
    ReleaseDC(nullptr, screen);
    return color;
}

void keep_for_comparison(const std::string& path, const std::string& name) {
    make_dirs(shots_dir() + "\\files");
    copy_file(path, shots_dir() + "\\files\\" + name);
}

namespace {

// Entries of a folder, files or subfolders, without "." and "..".
std::vector<std::string> entries(const std::string& folder, bool want_folders) {
    std::vector<std::string> names;
    WIN32_FIND_DATAW found{};
    HANDLE search = FindFirstFileW(to_utf16(folder + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        const std::string name = to_utf8(found.cFileName);
        const bool is_folder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        if (name != "." && name != ".." && is_folder == want_folders) names.push_back(name);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace

std::vector<std::string> files_in(const std::string& folder) {
    return entries(folder, false);
}

std::vector<std::string> folders_in(const std::string& folder) {
    return entries(folder, true);
}

std::optional<std::string> read_file(const std::string& path) {
    HANDLE file = CreateFileW(to_utf16(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return std::nullopt;
    std::string content(GetFileSize(file, nullptr), '\0');
    DWORD got = 0;
    const BOOL ok = content.empty() ||
                    ReadFile(file, content.data(), static_cast<DWORD>(content.size()), &got,
                             nullptr);
    CloseHandle(file);
    if (!ok) return std::nullopt;
    return content;
}

bool write_file(const std::string& path, const std::string& content) {
    HANDLE file = CreateFileW(to_utf16(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const BOOL ok = content.empty() ||
                    WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written,
                              nullptr);
    CloseHandle(file);
    return ok && written == content.size();
}

bool copy_file(const std::string& from, const std::string& to) {
    return CopyFileW(to_utf16(from).c_str(), to_utf16(to).c_str(), FALSE) != 0;
}

bool file_exists(const std::string& path) {
    return GetFileAttributesW(to_utf16(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

void make_dirs(const std::string& path) {
    for (size_t pos = path.find('\\', 3); ; pos = path.find('\\', pos + 1)) {
        CreateDirectoryW(to_utf16(path.substr(0, pos)).c_str(), nullptr);
        if (pos == std::string::npos) break;
    }
}

void remove_tree(const std::string& path) {
    const std::wstring wide = to_utf16(path);
    const DWORD attributes = GetFileAttributesW(wide.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return;
    SetFileAttributesW(wide.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        DeleteFileW(wide.c_str());
        return;
    }
    WIN32_FIND_DATAW found{};
    HANDLE search = FindFirstFileW((wide + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = to_utf8(found.cFileName);
            if (name != "." && name != "..") remove_tree(path + "\\" + name);
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    RemoveDirectoryW(wide.c_str());
}

std::optional<std::string> registry_string(HKEY root, const std::string& key,
                                           const std::string& value, REGSAM view) {
    HKEY opened = nullptr;
    if (RegOpenKeyExW(root, to_utf16(key).c_str(), 0, KEY_READ | view, &opened) != ERROR_SUCCESS)
        return std::nullopt;
    wchar_t data[1024] = {};
    DWORD size = sizeof data - sizeof(wchar_t), type = 0;
    const LONG status = RegQueryValueExW(opened, to_utf16(value).c_str(), nullptr, &type,
                                         reinterpret_cast<BYTE*>(data), &size);
    RegCloseKey(opened);
    if (status != ERROR_SUCCESS || type != REG_SZ) return std::nullopt;
    return to_utf8(data);
}

bool set_registry_string(HKEY root, const std::string& key, const std::string& value,
                         const std::string& data, REGSAM view) {
    HKEY created = nullptr;
    if (RegCreateKeyExW(root, to_utf16(key).c_str(), 0, nullptr, 0, KEY_SET_VALUE | view, nullptr,
                        &created, nullptr) != ERROR_SUCCESS)
        return false;
    const std::wstring text = to_utf16(data);
    const LONG status = RegSetValueExW(created, to_utf16(value).c_str(), 0, REG_SZ,
                                       reinterpret_cast<const BYTE*>(text.c_str()),
                                       static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(created);
    return status == ERROR_SUCCESS;
}

void delete_registry_value(HKEY root, const std::string& key, const std::string& value,
                           REGSAM view) {
    HKEY opened = nullptr;
    if (RegOpenKeyExW(root, to_utf16(key).c_str(), 0, KEY_SET_VALUE | view, &opened) !=
        ERROR_SUCCESS)
        return;
    RegDeleteValueW(opened, to_utf16(value).c_str());
    RegCloseKey(opened);
}

bool under_wow64() {
    BOOL wow64 = FALSE;
    return IsWow64Process(GetCurrentProcess(), &wow64) && wow64;
}

std::vector<DWORD> processes_named(const wchar_t* exe) {
    std::vector<DWORD> ids;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return ids;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry))
        if (_wcsicmp(entry.szExeFile, exe) == 0) ids.push_back(entry.th32ProcessID);
    CloseHandle(snapshot);
    return ids;
}

void end_processes_named(const wchar_t* exe) {
    for (const DWORD id : processes_named(exe))
        if (HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id)) {
            TerminateProcess(process, 0);
            WaitForSingleObject(process, 5000);
            CloseHandle(process);
        }
}

}  // namespace vh::e2e
