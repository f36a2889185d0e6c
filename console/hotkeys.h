// The key-polling timer and the notification icon's mouse events.
#pragma once

#include <cstdint>

#include "console/console_state.h"
#include "console/console_view.h"
#include "platform/system.h"

namespace vh {

// One tick of the polling timer: a press of F12 toggles the band once, however long it
// is held and however short the interval; while the band is shown, Up and
// Down bring history lines back into the input line at every tick.
void on_poll_tick(ConsoleState& state, ConsoleView& view, KeyState& keys);

// The icon's callback arrives as a left-button press whose coordinates carry
// the mouse event (517: right-button release) in x and 0 in y; only that
// release opens the menu. Coordinates are the window's, in pixels.
bool icon_menu_requested(int x_pixels, int y_pixels, std::int16_t twips_x, int twips_y);

}  // namespace vh
