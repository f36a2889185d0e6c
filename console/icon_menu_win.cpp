#include "console/icon_menu_win.h"

namespace vh {

// The menu is shown the way that lets it close when the user clicks
// elsewhere: the window in the foreground while tracking, a null message
// after. Its loop still dispatches the messages posted to the owner, the
// close request among them.
bool IconMenu::show(HWND owner) {
    HMENU menu = CreatePopupMenu();
    AppendMenuW(menu, MF_STRING, toggle_item, L"Консоль\tF12");
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu, MF_STRING, about_item, L"О программе");
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu, MF_STRING, quit_item, L"Выход");
    POINT cursor{};
    GetCursorPos(&cursor);
    SetForegroundWindow(owner);
    open_ = true;
    ended_for_close_ = false;
    TrackPopupMenu(menu, 0, cursor.x, cursor.y, 0, owner, nullptr);
    open_ = false;
    PostMessageW(owner, WM_NULL, 0, 0);
    DestroyMenu(menu);
    return !ended_for_close_;
}

bool IconMenu::end_for_close() {
    if (!open_) return false;
    ended_for_close_ = true;
    EndMenu();
    return true;
}

}  // namespace vh
