#include "console/tray_icon_win.h"

#include <shellapi.h>

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

void remove_tray_icon() {
    Shell_NotifyIconA(NIM_DELETE, reinterpret_cast<NOTIFYICONDATAA*>(&tray_data));
}

}  // namespace vh
