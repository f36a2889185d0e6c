// menu_probe.dll: lets an end-to-end test read the items of a pop-up menu
// that another process shows. Under Wine a menu can be read only in the
// process that made it: GetMenuStringW from any other process gets nothing.
// The test hooks the menu's thread with this DLL, which Windows then loads
// into that process, and sends the menu's window the registered message
// below; the hook, running there, writes the item texts to
// %TEMP%\vh_menu_items.txt as UTF-16, one item a line, a separator as an
// empty line.
#include <windows.h>

namespace {

constexpr UINT mn_gethmenu = 0x01E1;  // asks a menu window for its menu

void write_items(HWND menu_window) {
    wchar_t path[MAX_PATH] = {};
    const DWORD length = GetTempPathW(MAX_PATH - 20, path);
    if (length == 0 || length > MAX_PATH - 20) return;
    lstrcatW(path, L"vh_menu_items.txt");
    HANDLE file = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    const auto menu = reinterpret_cast<HMENU>(SendMessageW(menu_window, mn_gethmenu, 0, 0));
    const int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        wchar_t text[256] = {};
        const int n = GetMenuStringW(menu, i, text, 255, MF_BYPOSITION);
        text[n > 0 ? n : 0] = L'\n';
        DWORD written = 0;
        WriteFile(file, text, static_cast<DWORD>((n > 0 ? n + 1 : 1) * sizeof(wchar_t)),
                  &written, nullptr);
    }
    CloseHandle(file);
}

}  // namespace

extern "C" __declspec(dllexport) LRESULT CALLBACK menu_probe_hook(int code, WPARAM w,
                                                                  LPARAM l) {
    const auto* sent = reinterpret_cast<const CWPSTRUCT*>(l);
    if (code == HC_ACTION && sent->message == RegisterWindowMessageW(L"VarnholdeTestMenuItems"))
        write_items(sent->hwnd);
    return CallNextHookEx(nullptr, code, w, l);
}
