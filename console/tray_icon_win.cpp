#include "console/tray_icon_win.h"

#include <shellapi.h>

#include "platform/win32/win_monitors.h"

namespace vh {

TrayRecord tray_data{};

void add_tray_icon(HWND window, HICON icon) {
    tray_data = TrayRecord{};
    tray_data.cbSize = sizeof(TrayRecord);
    tray_data.hWnd = window;
    tray_data.uID = 0;
    tray_data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;  // 7
    tray_data.uCallbackMessage = tray_callback_message;
    tray_data.hIcon = icon;
    Shell_NotifyIconA(NIM_ADD, reinterpret_cast<NOTIFYICONDATAA*>(&tray_data));
}

void change_tray_icon(HICON icon) {
    if (!tray_data.hWnd) return;
    tray_data.hIcon = icon;
    TrayRecord change = tray_data;
    change.uFlags = NIF_ICON;
    Shell_NotifyIconA(NIM_MODIFY, reinterpret_cast<NOTIFYICONDATAA*>(&change));
}

// GetSystemMetrics answers for the system's density, fixed at log-on; the
// taskbar's monitor may have another. Windows before 10 1607 lacks the
// call that answers for a density, and scales the notification area with
// the system's.
int tray_icon_size() {
    using GetSystemMetricsForDpiFn = int(WINAPI*)(int, UINT);
    static const auto metrics_for_dpi =
        reinterpret_cast<GetSystemMetricsForDpiFn>(reinterpret_cast<void (*)()>(
            GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetSystemMetricsForDpi")));
    if (!metrics_for_dpi) return GetSystemMetrics(SM_CXSMICON);
    HWND taskbar = FindWindowW(L"Shell_TrayWnd", nullptr);
    HMONITOR monitor = taskbar ? MonitorFromWindow(taskbar, MONITOR_DEFAULTTOPRIMARY)
                               : MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY);
    const int size = metrics_for_dpi(SM_CXSMICON, static_cast<UINT>(monitor_dpi(monitor)));
    return size > 0 ? size : GetSystemMetrics(SM_CXSMICON);
}

void remove_tray_icon() {
    Shell_NotifyIconA(NIM_DELETE, reinterpret_cast<NOTIFYICONDATAA*>(&tray_data));
}

}  // namespace vh
