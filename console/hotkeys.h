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

// One tick of the polling timer. Where F12 is polled, a press of F12 acts
// once (on_f12), however long it is held and however short the interval;
// while the band is shown, Up and Down bring history lines back into the
// input line at every tick.
void on_poll_tick(ConsoleState& state, ConsoleView& view, KeyState& keys);

// What the low-level keyboard hook does with one event of F12.
struct HookedKey {
    bool consume = false;  // no other program gets the event
    bool act = false;      // a new press: on_f12, once
};

// The hook's memory of F12 from one event to the next. F12 alone is the
// console's: a press acts once, its auto-repeats and its release are kept
// from every program, as from the registered hot key. F12 with Shift,
// Ctrl, Alt or Windows held is left to the program in front (Shift+F12 and
// Ctrl+F12 are other programs' commands), its repeats and release as well.
class F12Presses {
public:
    // time_ms: the event's time stamp, in milliseconds of a clock that wraps.
    HookedKey on_key(bool key_up, bool modifiers_held, std::uint32_t time_ms);
    // The hook is installed again while F12 is held, a press it never saw
    // and that the console has already acted on: the press's auto-repeats
    // are kept from every program and act no more; its release goes on to
    // the program in front, which had its down.
    void take_held(std::uint32_t time_ms);

private:
    enum class Held { no, ours, others, missed };
    Held held_ = Held::no;
    std::uint32_t last_down_ms_ = 0;
};

// What the keyboard hook has counted since it was first installed. The
// watch reads the counts after the key state, and a press the hook counted
// reaches the key state (when it does) only after the hook has returned.
struct HookCounts {
    std::uint32_t acted = 0;   // presses taken and acted on
    std::uint32_t passed = 0;  // downs left to the program in front
};

// The hook as the watch sees it.
class F12Hook {
public:
    virtual ~F12Hook() = default;
    virtual HookCounts counts() = 0;
    // Removes the hook, if Windows has not, and installs it again;
    // key_down: F12 is held now, by a press already acted on.
    virtual void install_again(bool key_down) = 0;
};

// Windows removes a low-level hook that does not answer in time (a page
// fault in a long-idle process, a busy machine, a debugger, a suspend) and
// tells nobody. A key the hook takes never reaches the asynchronous key
// state: a press of F12 that the state shows while the hook should be in
// place is a press the hook did not see. The watch looks at F12 at each
// tick on the hook's road: on such a press it installs the hook again and
// acts on the press once; the hook's road takes the next press.
class HookWatch {
public:
    // Before the first tick: presses made earlier are not the watch's.
    void start(KeyState& keys, F12Hook& hook);
    // One tick; now_ms: the tick's time, on the clock of the hook's events.
    void on_tick(KeyState& keys, F12Hook& hook, ConsoleView& view, std::uint32_t now_ms);
    // A press the hook acted on, with its event's time. A hook that timed
    // out may still run once it is scheduled, after the watch has acted on
    // the same press: such a press does not act a second time.
    void on_hooked_press(ConsoleView& view, std::uint32_t time_ms);

private:
    bool was_down_ = false;
    // The counts at the last two ticks: a press counted by the hook just
    // after one tick's key query shows in the key state at the next.
    HookCounts last_, before_last_;
    bool polled_ = false;
    std::uint32_t polled_at_ms_ = 0;
};

// The icon's callback arrives as a left-button press whose coordinates carry
// the mouse event (517: right-button release) in x and 0 in y; only that
// release opens the menu. Coordinates are the window's, in pixels.
bool icon_menu_requested(int x_pixels, int y_pixels, std::int16_t twips_x, int twips_y);

}  // namespace vh
