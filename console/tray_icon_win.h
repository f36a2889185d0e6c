// The console's module-level data: the notification icon's record, which
// lives as long as the program.
#pragma once

#include <windows.h>

#include <cstdint>

namespace vh {

// The first, 88-byte form of NOTIFYICONDATAA, which every shell accepts.
struct TrayRecord {
    std::uint32_t cbSize;
    HWND hWnd;
    std::uint32_t uID;
    std::uint32_t uFlags;
    std::uint32_t uCallbackMessage;
    HICON hIcon;
    char szTip[64];
};
#ifndef _WIN64
static_assert(sizeof(TrayRecord) == 88, "the first form of the notification record");
#endif

inline constexpr UINT tray_callback_message = WM_LBUTTONDOWN;  // 513

extern TrayRecord tray_data;

// Fills tray_data for the window and adds the icon; the result is ignored,
// the console works on without an icon.
void add_tray_icon(HWND window, HICON icon);
void remove_tray_icon();
// Gives the icon already added a new picture (after a change of scaling).
void change_tray_icon(HICON icon);
// The icon's size in pixels at the density of the taskbar's monitor.
int tray_icon_size();

}  // namespace vh
