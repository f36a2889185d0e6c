// The notification icon's menu: shown at the mouse, and ended by a close
// request that arrives while it is open.
#pragma once

#include <windows.h>

namespace vh {

enum MenuItem { toggle_item = 101, about_item = 102, quit_item = 103 };

class IconMenu {
public:
    // Shows the menu until the user chooses (the choice reaches the owner
    // as WM_COMMAND) or clicks elsewhere. False when a close request ended
    // it: the owner then closes.
    bool show(HWND owner);
    // A close request: ends the menu if it is open (true), from the
    // menu's own thread, inside its loop.
    bool end_for_close();

private:
    bool open_ = false;
    bool ended_for_close_ = false;
};

}  // namespace vh
