// F12, the key-polling timer and the notification icon's mouse events.
#pragma once

#include <cstdint>

#include "console/console_state.h"
#include "console/console_view.h"
#include "platform/system.h"

namespace vh {

// What one press of F12 does, whether it arrives as the window's hot key or
// the polling timer sees it: a band shown in front hides; a band hidden, or
// shown but covered by another window, comes to the front with the caret in
// its input line, so that the user can type at once.
void on_f12(ConsoleView& view);

// Called once before the first tick. The "pressed since the last query" bit
// of a polled key is the system's, not the program's: a press made before
// the console started, in any program, would otherwise act at the first
// tick (hide the band just shown, or recall a line). A key held at this
// moment counts as already seen.
void forget_earlier_presses(ConsoleState& state, KeyState& keys);

// One tick of the polling timer. Unless F12 is the window's registered hot
// key, a press of F12 acts once (on_f12), however long it is held and
// however short the interval; while the band is shown, Up and Down bring
// history lines back into the input line at every tick.
void on_poll_tick(ConsoleState& state, ConsoleView& view, KeyState& keys);

// The icon's callback arrives as a left-button press whose coordinates carry
// the mouse event (517: right-button release) in x and 0 in y; only that
// release opens the menu. Coordinates are the window's, in pixels.
bool icon_menu_requested(int x_pixels, int y_pixels, std::int16_t twips_x, int twips_y);

}  // namespace vh
