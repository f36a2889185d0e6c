// F12, the key-polling timer (F12, Up, Down) and the decoding of the icon's
// mouse callbacks.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "console/hotkeys.h"
#include "platform/fake/fake_system.h"
#include "tests/unit/console/fake_console_view.h"

namespace vh {
namespace {

using testing::FakeConsoleView;

struct Band {
    Band() {
        for (int i = 0; i < history_lines; ++i) view.history[i] = "line " + std::to_string(i);
    }
    // One tick with the given keys pressed; returns the input line after it.
    std::string tick(std::initializer_list<int> keys) {
        this->keys.down = keys;
        on_poll_tick(state, view, this->keys);
        return view.input;
    }
    ConsoleState state;
    FakeConsoleView view;
    FakeKeyState keys;
};

TEST(Recall, AfterStartUpUpBringsBackTheOldestLineAndDownStepsTowardsTheNewest) {
    Band band;
    band.state.history_pos = history_lines;  // as the load sequence leaves it
    EXPECT_EQ(band.tick({vk::up}), "line 5");
    EXPECT_EQ(band.tick({vk::up}), "line 5");
    EXPECT_EQ(band.state.history_pos, 6);
    Band fresh;
    fresh.state.history_pos = history_lines;
    const char* downs[] = {"line 5", "line 4", "line 3", "line 2", "line 1", "line 0", "line 0"};
    for (const char* expected : downs) EXPECT_EQ(fresh.tick({vk::down}), expected);
    EXPECT_EQ(fresh.state.history_pos, 0);
}

TEST(Recall, AfterACommandUpWalksUpTheHistoryAndStopsAtTheTop) {
    Band band;
    band.state.history_pos = 0;  // as every entered line leaves it
    const char* ups[] = {"line 0", "line 1", "line 2", "line 3", "line 4", "line 5", "line 5"};
    for (const char* expected : ups) EXPECT_EQ(band.tick({vk::up}), expected);
}

TEST(Recall, UpThenDownBringsTheSameLineTwice) {
    Band band;
    band.state.history_pos = 0;
    band.tick({vk::up});
    EXPECT_EQ(band.tick({vk::up}), "line 1");
    EXPECT_EQ(band.state.history_pos, 2);
    EXPECT_EQ(band.tick({vk::down}), "line 1");
    EXPECT_EQ(band.tick({vk::down}), "line 0");
}

TEST(Recall, APositionLeftPastTheHistoryByCompletionStillReadsAHistoryLine) {
    Band band;
    band.state.history_pos = 15;  // "quit" completed
    EXPECT_EQ(band.tick({vk::down}), "line 5");
    band.state.history_pos = 16;  // nothing matched
    EXPECT_EQ(band.tick({vk::up}), "line 5");
}

TEST(Recall, ArrowsDoNothingWhileHiddenButAreStillAsked) {
    Band band;
    band.view.shown = false;
    band.state.history_pos = 0;
    band.view.input = "typed";
    EXPECT_EQ(band.tick({vk::up, vk::down}), "typed");
    EXPECT_EQ(band.state.history_pos, 0);
    EXPECT_EQ(band.keys.queries, 3);  // F12, Up and Down at every tick
}

// What happens to F12 before each tick: P pressed, R released, A an
// auto-repeat of the held key (it sets the "pressed since" bit again).
TEST(HotKey, F12TogglesOncePerPressWhateverTheTicksSee) {
    struct Case { const char* name; std::vector<std::string> ticks; int toggles; };
    const Case cases[] = {
        {"pressed and released over ticks", {"P", "", "R", ""}, 1},
        {"held for many ticks", {"P", "", "", "", "", "", "R"}, 1},
        {"held with auto-repeat", {"P", "A", "A", "A", "AR", ""}, 1},
        {"tapped between two ticks", {"PR", ""}, 1},
        {"first seen a tick late", {"", "P", "R"}, 1},
        {"three taps, one per tick", {"PR", "PR", "PR", ""}, 3},
        {"released at one tick, pressed at the next", {"P", "R", "P", "R"}, 2},
        {"held through the tick after a tap", {"PR", "P", "", "R"}, 2},
        // A second tap inside the tick after a press that was seen down
        // cannot be told from auto-repeat: it counts as the same press.
        {"re-tapped before the tick after a seen press", {"P", "RPR", ""}, 1},
        {"no key", {"", "", ""}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Band band;
        int toggles = 0;
        for (const std::string& events : c.ticks) {
            for (char e : events) {
                if (e == 'P') band.keys.press(vk::f12);
                if (e == 'R') band.keys.release(vk::f12);
                if (e == 'A') band.keys.went_down.insert(vk::f12);
            }
            const bool before = band.view.shown;
            on_poll_tick(band.state, band.view, band.keys);
            if (band.view.shown != before) ++toggles;
        }
        EXPECT_EQ(toggles, c.toggles);
    }
}

// One press of F12 from each state the band can be in, brought by the
// window's hot key, by the keyboard hook or seen by the polling timer. The ticks around it see the
// key down and up as Windows reports it either way: the timer must not act
// a second time on a press the hot key has already handled.
TEST(HotKey, F12HidesABandInFrontAndBringsAHiddenOrCoveredOneForward) {
    struct Case { const char* name; bool shown, front; const char* action; };
    const Case cases[] = {
        {"hidden", false, false, "front"},
        {"shown in front", true, true, "hide"},
        {"shown but covered by another window", true, false, "front"},
    };
    for (const Case& c : cases)
        for (const F12Road road : {F12Road::registered, F12Road::hooked, F12Road::polled}) {
            SCOPED_TRACE(std::string(c.name) + ", road " + std::to_string(static_cast<int>(road)));
            Band band;
            band.view.shown = c.shown;
            band.view.front = c.front;
            band.state.f12_road = road;
            band.state.history_pos = 0;
            band.keys.press(vk::f12);
            // The window's WM_HOTKEY, or the hook's message.
            if (road != F12Road::polled) on_f12(band.view);
            on_poll_tick(band.state, band.view, band.keys);
            on_poll_tick(band.state, band.view, band.keys);
            band.keys.release(vk::f12);
            on_poll_tick(band.state, band.view, band.keys);
            EXPECT_EQ(band.view.journal, std::vector<std::string>{c.action});
            const bool brought = std::string(c.action) == "front";
            EXPECT_EQ(band.view.shown, brought);
            EXPECT_EQ(band.view.front, brought);
            // The arrows are polled whether F12 is or not.
            EXPECT_EQ(band.tick({vk::up}), brought ? "line 0" : "");
        }
}

// The keyboard hook's F12 events, in order: D down, U up, a digit before
// one of them the seconds since the previous event (none: 30 ms, the pace
// of auto-repeat); M down with a modifier held. Each event's result: c
// consumed, a consumed and acting, . passed on to the program in front.
TEST(HookedF12, ActsOncePerPressAndKeepsItsRepeatsAndReleaseFromOtherPrograms) {
    struct Case { const char* name; const char* events; const char* results; };
    const Case cases[] = {
        {"a tap", "DU", "ac"},
        {"two taps", "DU1DU", "acac"},
        {"held with auto-repeat", "DDDDDU", "accccc"},
        {"repeats slower than the keyboard's slowest", "D1D1D1DU", "acccc"},
        {"with a modifier, the program in front's", "MU", ".."},
        {"modifier held at the press, released during the repeats", "MDDU", "...."},
        {"a release the hook never saw (an elevated window had it)", "D3DU", "aac"},
        {"a release without a press", "U", "."},
        {"a press then one with a modifier, released between unseen", "D3MU", "a.."},
        // Installed again while held (H): a press already acted on.
        {"held at installation: repeats kept, release passed on", "HDDDU", "ccc."},
        {"held at installation, then a new press", "HU1DU", ".ac"},
        {"held at installation, released unseen, pressed later", "H3DU", "ac"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        F12Presses presses;
        std::uint32_t time = 0xFFFFF000u;  // the clock wraps during the case
        std::string results;
        for (const char* e = c.events; *e; ++e) {
            if (*e >= '0' && *e <= '9') {
                time += 1000u * static_cast<std::uint32_t>(*e - '0');
                continue;
            }
            if (*e == 'H') {
                presses.take_held(time);
                continue;
            }
            time += 30;
            const HookedKey key = presses.on_key(*e == 'U', *e == 'M', time);
            results += key.act ? (key.consume ? 'a' : '!') : (key.consume ? 'c' : '.');
        }
        EXPECT_EQ(results, c.results);
    }
}

// The keyboard as Windows runs it with the console's low-level hook: a hook
// in place sees F12 before the key state and keeps what it takes from it;
// one that Windows has removed lets every event reach the key state. The
// window receives the hook's presses as posted messages, and its timer's
// ticks, in the order the script gives.
struct HookedKeyboard : F12Hook {
    HookCounts counts() override { return counted; }
    void install_again(bool key_down) override {
        ++installs;
        in_place = true;
        presses = F12Presses();
        if (key_down) presses.take_held(now);
    }
    // One F12 event; a hook that has timed out lets it through and is gone.
    void key(bool up, bool modifier) {
        now += 30;
        if (slow) {
            slow = in_place = false;
            late_down_ms = now;
        } else if (in_place) {
            const HookedKey k = presses.on_key(up, modifier, now);
            if (k.act) ++counted.acted, posted.push_back(now);
            if (!k.consume && !up) ++counted.passed;
            if (k.consume) return;
        }
        if (up)
            keys.release(vk::f12);
        else
            keys.press(vk::f12);
    }
    // The timed-out hook runs at last and acts on the press it was late for.
    void late_answer() {
        ++counted.acted;
        posted.push_back(late_down_ms);
    }
    void deliver() {
        for (std::uint32_t time : posted) watch.on_hooked_press(view, time);
        posted.clear();
    }
    void tick() {
        now += 200;
        const bool before = view.shown;
        watch.on_tick(keys, *this, view, now);
        if (view.shown != before) ++toggles_by_tick;
    }

    FakeKeyState keys;
    FakeConsoleView view;
    HookWatch watch;
    F12Presses presses;
    HookCounts counted;
    std::vector<std::uint32_t> posted;
    bool in_place = true, slow = false;
    std::uint32_t now = 0xFFFFF000u, late_down_ms = 0;  // the clock wraps
    int installs = 0, toggles_by_tick = 0;
};

// Scripts: D down, U up, M down with a modifier held; X Windows removes the
// hook without a word; S the hook is too slow for the next event (Windows
// passes it on and removes the hook), L it runs at last; P the window takes
// the hook's posted presses; T a tick of the watch; ! the watch starts
// (before the script where it does not say).
TEST(HookWatch, AHookWindowsRemovedIsInstalledAgainAndThePressActsOnce) {
    struct Case { const char* name; const char* script; int toggles, by_tick, installs; };
    const Case cases[] = {
        {"the hook in place takes the press", "DUPTT", 1, 0, 0},
        {"removed: the tick sees the press", "XDUTT", 1, 1, 1},
        {"removed, then the next press is the hook's again", "XDUTDUPT", 2, 1, 1},
        {"removed, held over ticks with auto-repeat", "XDDTDDDTUT", 1, 1, 1},
        {"removed, pressed and held past the install", "XDTDDUDUPT", 2, 1, 1},
        {"removed twice", "XDUTXDUT", 2, 2, 2},
        {"timed out, its late answer before the tick", "SDLPTUT", 1, 0, 1},
        {"timed out, its late answer after the tick", "SDTLPUT", 1, 1, 1},
        {"timed out on a tap between two ticks", "SDUTLPT", 1, 1, 1},
        {"with a modifier, the program in front's", "MUTMT", 0, 0, 0},
        {"pressed before the watch started", "XDU!TT", 0, 0, 0},
        {"no key", "TTT", 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        HookedKeyboard board;
        board.view.shown = false;
        const bool starts_later = std::string(c.script).find('!') != std::string::npos;
        if (!starts_later) board.watch.start(board.keys, board);
        int toggles = 0;
        for (const char* e = c.script; *e; ++e) {
            const bool before = board.view.shown;
            switch (*e) {
                case 'D': board.key(false, false); break;
                case 'U': board.key(true, false); break;
                case 'M': board.key(false, true); break;
                case 'X': board.in_place = false; break;
                case 'S': board.slow = true; break;
                case 'L': board.late_answer(); break;
                case 'P': board.deliver(); break;
                case 'T': board.tick(); break;
                case '!': board.watch.start(board.keys, board); break;
            }
            if (board.view.shown != before) ++toggles;
        }
        EXPECT_EQ(toggles, c.toggles);
        EXPECT_EQ(board.toggles_by_tick, c.by_tick);
        EXPECT_EQ(board.installs, c.installs);
        // After the script, the hook's road holds: F12 no longer reaches
        // the key state where the hook was installed again.
        if (board.installs > 0) {
            EXPECT_TRUE(board.in_place);
        }
    }
}

// Keys pressed and released before the console started, in whatever program.
TEST(HotKey, PressesMadeBeforeStartUpDoNotActAtTheFirstTick) {
    for (const bool f12_held : {false, true}) {
        SCOPED_TRACE(f12_held ? "F12 still held" : "F12 released");
        Band band;
        band.state.history_pos = 0;
        band.view.input = "typed";
        for (int key : {vk::f12, vk::up, vk::down}) {
            band.keys.press(key);
            band.keys.release(key);
        }
        if (f12_held) band.keys.press(vk::f12);
        forget_earlier_presses(band.state, band.keys);
        on_poll_tick(band.state, band.view, band.keys);
        EXPECT_TRUE(band.view.journal.empty());
        EXPECT_EQ(band.view.input, "typed");
    }
}

TEST(HotKey, F12ActsBeforeTheArrows) {
    Band band;
    band.view.shown = false;
    band.state.history_pos = 0;
    band.keys.press(vk::f12);
    EXPECT_EQ(band.tick({vk::f12, vk::up}), "line 0");
    EXPECT_TRUE(band.view.shown);
}

TEST(IconCallback, OnlyARightButtonReleaseOnTheTopRowOpensTheMenu) {
    struct Case { int x, y; std::int16_t twips_x; int twips_y; bool menu; };
    const Case cases[] = {
        {517, 0, 15, 15, true},    // right-button release
        {516, 0, 15, 15, false},   // right-button press
        {512, 0, 15, 15, false},   // mouse move
        {513, 0, 15, 15, false},   // left-button press
        {515, 0, 15, 15, false},   // left double click
        {517, 1, 15, 15, false},   // a real click below the top row
        {517, 0, 12, 12, true},    // 120 pixels per inch
        {516, 0, 12, 12, false},
        {517, 0, 64, 15, false},   // 517 x 64 overflows 16 bits and wraps...
        {-507, 0, 64, 15, true},   // ...to -32448, which -507 x 64 equals
    };
    for (const Case& c : cases)
        EXPECT_EQ(icon_menu_requested(c.x, c.y, c.twips_x, c.twips_y), c.menu)
            << c.x << "," << c.y << " at " << c.twips_x;
}

}  // namespace
}  // namespace vh
