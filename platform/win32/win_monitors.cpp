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

// Whether a window in front is part of the shell's desktop or taskbar,
// where nobody works in a window: the band then goes under the mouse.
bool is_desktop_or_taskbar(HWND window) {
    if (window == GetShellWindow() || window == GetDesktopWindow()) return true;
    wchar_t name[64] = {};
    if (!GetClassNameW(window, name, 64)) return false;
    const std::wstring kind = name;
    return kind == L"Progman" || kind == L"WorkerW" || kind == L"Shell_TrayWnd" ||
           kind == L"Shell_SecondaryTrayWnd";
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

std::optional<Monitor> WinMonitors::foreground() {
    HWND front = GetForegroundWindow();
    if (front) front = GetAncestor(front, GA_ROOT);
    if (!front || front == band_ || is_desktop_or_taskbar(front)) return std::nullopt;
    // A minimised window counts where it was before it was minimised.
    return describe_monitor(MonitorFromWindow(front, MONITOR_DEFAULTTONEAREST));
}

Monitor WinMonitors::under_mouse() {
    POINT cursor{};
    if (!GetCursorPos(&cursor))
        return describe_monitor(MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY));
    return describe_monitor(MonitorFromPoint(cursor, MONITOR_DEFAULTTONEAREST));
}

}  // namespace vh
