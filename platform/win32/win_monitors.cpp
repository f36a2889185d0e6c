#include "platform/win32/win_monitors.h"

#include "platform/win32/wide.h"

namespace vh {

namespace {

int system_dpi() {
    HDC screen = GetDC(nullptr);
    const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
    if (screen) ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : 96;
}

std::string class_of(HWND window) {
    wchar_t name[256] = {};
    const int length = GetClassNameW(window, name, 256);
    return length > 0 ? to_utf8(std::wstring(name, static_cast<std::size_t>(length))) : "";
}

// The program file's name of the window's process ("SearchHost.exe");
// empty where Windows does not tell. Limited query rights are granted on
// the processes of the user's session, elevated ones included.
std::string program_of(HWND window) {
    DWORD process_id = 0;
    GetWindowThreadProcessId(window, &process_id);
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, process_id);
    if (!process) return "";
    wchar_t path[MAX_PATH] = {};
    DWORD length = MAX_PATH;
    const bool known = QueryFullProcessImageNameW(process, 0, path, &length) != 0;
    CloseHandle(process);
    if (!known) return "";
    const std::wstring full(path, length);
    const std::size_t slash = full.find_last_of(L"\\/");
    return to_utf8(slash == std::wstring::npos ? full : full.substr(slash + 1));
}

// Whether the desktop window manager keeps the window off the screen: on
// another virtual desktop, a suspended app's, or hidden by the shell.
// dwmapi.dll is not one of the system's known DLLs: it is loaded from the
// system folder by full search rule, never from the program's own folder.
// Windows before 8 has no cloaking, and tells no cloak.
bool is_cloaked(HWND window) {
    using GetAttributeFn = HRESULT(WINAPI*)(HWND, DWORD, void*, DWORD);
    static const auto get_attribute = [] {
        HMODULE dwm = LoadLibraryExW(L"dwmapi.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
        return dwm ? reinterpret_cast<GetAttributeFn>(reinterpret_cast<void (*)()>(
                         GetProcAddress(dwm, "DwmGetWindowAttribute")))
                   : nullptr;
    }();
    constexpr DWORD cloaked_attribute = 14;  // DWMWA_CLOAKED
    DWORD cloak = 0;
    return get_attribute &&
           SUCCEEDED(get_attribute(window, cloaked_attribute, &cloak, sizeof cloak)) && cloak != 0;
}

// Where Windows tells no monitor apart: the primary screen as the system
// metrics give it.
Monitor whole_screen() {
    return {"", {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)},
            system_dpi(), true};
}

BOOL CALLBACK add_monitor(HMONITOR monitor, HDC, LPRECT, LPARAM list) {
    reinterpret_cast<std::vector<Monitor>*>(list)->push_back(describe_monitor(monitor));
    return TRUE;
}

}  // namespace

int monitor_dpi(HMONITOR monitor) {
    // In shcore.dll, which Windows before 8.1 lacks. A per-monitor aware
    // program gets the density the user set for that monitor.
    using GetDpiForMonitorFn = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
    static const auto get_dpi_for_monitor = [] {
        HMODULE shcore = LoadLibraryExW(L"shcore.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
        return shcore ? reinterpret_cast<GetDpiForMonitorFn>(reinterpret_cast<void (*)()>(
                            GetProcAddress(shcore, "GetDpiForMonitor")))
                      : nullptr;
    }();
    constexpr int effective_dpi = 0;  // MDT_EFFECTIVE_DPI
    UINT dpi_x = 0, dpi_y = 0;
    if (get_dpi_for_monitor && monitor &&
        SUCCEEDED(get_dpi_for_monitor(monitor, effective_dpi, &dpi_x, &dpi_y)) && dpi_y > 0)
        return static_cast<int>(dpi_y);
    return system_dpi();
}

Monitor describe_monitor(HMONITOR monitor) {
    MONITORINFOEXW info{};
    info.cbSize = sizeof info;
    if (!monitor || !GetMonitorInfoW(monitor, &info)) return whole_screen();
    const RECT& r = info.rcMonitor;
    return {to_utf8(info.szDevice), {r.left, r.top, r.right - r.left, r.bottom - r.top},
            monitor_dpi(monitor), (info.dwFlags & MONITORINFOF_PRIMARY) != 0};
}

std::vector<Monitor> WinMonitors::list() {
    std::vector<Monitor> monitors;
    EnumDisplayMonitors(nullptr, nullptr, add_monitor, reinterpret_cast<LPARAM>(&monitors));
    if (monitors.empty()) monitors.push_back(whole_screen());
    return monitors;
}

std::optional<FrontWindow> WinMonitors::front_window() {
    HWND front = GetForegroundWindow();
    if (front) front = GetAncestor(front, GA_ROOT);
    if (!front || front == band_ || front == GetShellWindow() || front == GetDesktopWindow())
        return std::nullopt;
    // A minimised window counts where it was before it was minimised.
    return FrontWindow{class_of(front), program_of(front), is_cloaked(front),
                       describe_monitor(MonitorFromWindow(front, MONITOR_DEFAULTTONEAREST))};
}

Monitor WinMonitors::under_mouse() {
    POINT cursor{};
    if (!GetCursorPos(&cursor))
        return describe_monitor(MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY));
    return describe_monitor(MonitorFromPoint(cursor, MONITOR_DEFAULTTONEAREST));
}

}  // namespace vh
