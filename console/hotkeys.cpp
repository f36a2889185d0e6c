#include "console/hotkeys.h"

namespace vh {

namespace {

constexpr int right_button_down = 516;  // WM_RBUTTONDOWN
constexpr int right_button_up = 517;    // WM_RBUTTONUP

// Windows repeats a held key first after at most about a second (keyboard
// delay 3) and then at least about twice a second. A down that follows the
// previous one by longer cannot be a repeat: the release between them went
// to a window the hook is not shown (an elevated program's), and the down
// is a new press.
constexpr std::uint32_t longest_repeat_gap_ms = 1500;

void recall(ConsoleState& state, ConsoleView& view) {
    view.set_input_text(view.history_line(state.history_pos));
}

}  // namespace

void on_f12(ConsoleView& view) {
    if (view.visible() && view.in_front())
        view.set_visible(false);
    else
        view.bring_to_front();
}

void forget_earlier_presses(ConsoleState& state, KeyState& keys) {
    if (state.f12_road == F12Road::polled) state.f12_down = keys.sample(vk::f12).down;
    keys.pressed(vk::up);
    keys.pressed(vk::down);
}

void on_poll_tick(ConsoleState& state, ConsoleView& view, KeyState& keys) {
    // F12 acts once per press: at the first tick that sees it down, or that
    // learns it went down and up again since the previous tick. While it
    // stays down nothing more happens, and a key seen down at the previous
    // tick counts as the same press even when the "pressed since" bit is set
    // again: the keyboard's auto-repeat sets it while the key is held. The
    // registered hot key has already acted on the press: acting here too
    // would undo it, and so would acting on a press the hook has taken.
    if (state.f12_road == F12Road::polled) {
        const KeySample f12 = keys.sample(vk::f12);
        if (!state.f12_down && (f12.down || f12.pressed_since)) on_f12(view);
        state.f12_down = f12.down;
    }

    // Both arrows are queried at every tick, so that a press made while the
    // band is hidden does not act later when it is shown.
    if (keys.pressed(vk::up) && view.visible()) {
        if (state.history_pos > 4) state.history_pos = 5;
        if (state.history_pos < 0) state.history_pos = 0;
        recall(state, view);
        state.history_pos = static_cast<std::int16_t>(state.history_pos + 1);
    }
    if (keys.pressed(vk::down) && view.visible()) {
        state.history_pos = static_cast<std::int16_t>(state.history_pos - 1);
        if (state.history_pos < 1) state.history_pos = 0;
        // Completion may have left the position past the history.
        if (state.history_pos > history_lines - 1) state.history_pos = history_lines - 1;
        recall(state, view);
    }
}

HookedKey F12Presses::on_key(bool key_up, bool modifiers_held, std::uint32_t time_ms) {
    if (key_up) {
        const bool ours = held_ == Held::ours;
        held_ = Held::no;
        return {ours, false};
    }
    const bool repeat = held_ != Held::no && time_ms - last_down_ms_ <= longest_repeat_gap_ms;
    last_down_ms_ = time_ms;
    if (!repeat) held_ = modifiers_held ? Held::others : Held::ours;
    const bool ours = held_ == Held::ours;
    return {ours || held_ == Held::missed, ours && !repeat};
}

void F12Presses::take_held(std::uint32_t time_ms) {
    held_ = Held::missed;
    last_down_ms_ = time_ms;
}

void HookWatch::start(KeyState& keys, F12Hook& hook) {
    was_down_ = keys.sample(vk::f12).down;
    last_ = before_last_ = hook.counts();
}

void HookWatch::on_tick(KeyState& keys, F12Hook& hook, ConsoleView& view, std::uint32_t now_ms) {
    // A press is what the polled road counts as one (on_poll_tick).
    const KeySample f12 = keys.sample(vk::f12);
    const HookCounts counts = hook.counts();
    const bool seen = !was_down_ && (f12.down || f12.pressed_since);
    was_down_ = f12.down;
    const bool passed = counts.passed != before_last_.passed;
    const bool answered = counts.acted != before_last_.acted;
    before_last_ = last_;
    last_ = counts;
    // A press with a modifier, which the hook left to the program in
    // front: the hook is there.
    if (!seen || passed) return;
    hook.install_again(f12.down);
    // The hook acted on the press, too late to keep it from the key state:
    // Windows has removed it, but the press has had its answer.
    if (answered) return;
    polled_ = true;
    polled_at_ms_ = now_ms;
    on_f12(view);
}

void HookWatch::on_hooked_press(ConsoleView& view, std::uint32_t time_ms) {
    if (polled_ && static_cast<std::int32_t>(time_ms - polled_at_ms_) <= 0) return;
    on_f12(view);
}

bool icon_menu_requested(int x_pixels, int y_pixels, std::int16_t twips_x, int twips_y) {
    const long x = static_cast<long>(x_pixels) * twips_x;
    const long y = static_cast<long>(y_pixels) * twips_y;
    if (y != 0) return false;
    const auto press = static_cast<std::int16_t>(right_button_down * twips_x);
    const auto release = static_cast<std::int16_t>(right_button_up * twips_x);
    if (x == press) return false;
    return x == release;
}

}  // namespace vh
