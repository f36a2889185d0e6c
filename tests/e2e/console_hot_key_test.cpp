// F12 with another program's window in front: the band takes the keyboard,
// whether F12 is the console's hot key or, held by another program (as by
// Windows itself), taken by the console's keyboard hook.
#include <thread>

#include "console/waiting_thread_win.h"
#include "tests/e2e/console_fixture.h"
#include "tests/e2e/key_probe.h"
// After windows.h, which the fixture brings.
#include <tlhelp32.h>

namespace vh::e2e {
namespace {

// Asks the console's threads other than its window's (its waiting thread)
// to remove the keyboard hook without a word. True when one took the message.
bool drop_console_hook(DWORD process_id, HWND band) {
    const DWORD window_thread = GetWindowThreadProcessId(band, nullptr);
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return false;
    THREADENTRY32 entry{};
    entry.dwSize = sizeof entry;
    bool posted = false;
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry))
        if (entry.th32OwnerProcessID == process_id && entry.th32ThreadID != window_thread)
            posted |= PostThreadMessageW(entry.th32ThreadID, drop_hook_message, 0, 0) != 0;
    CloseHandle(snapshot);
    return posted;
}

// How often the band was shown or hidden over the time given, from what
// it was before.
int shown_changes_over(HWND band, bool was_visible, Duration time) {
    int changes = 0;
    const auto end = std::chrono::steady_clock::now() + time;
    while (std::chrono::steady_clock::now() < end) {
        std::this_thread::sleep_for(10ms);
        if (visible(band) != was_visible) ++changes, was_visible = !was_visible;
    }
    return changes;
}

std::string listed(const std::vector<std::string>& events) {
    std::string text;
    for (const std::string& e : events) text += e + "; ";
    return text.empty() ? "nothing" : text;
}

class HotKeyTest : public ConsoleTest {
protected:
    // F12 pressed once: true when the band is then shown, in front, with the
    // caret in its input line.
    bool f12_brings_the_band_forward() {
        press_key(VK_F12);
        return wait_until([&] {
            return visible(band) && GetForegroundWindow() == band && keyboard_focus(band) == input;
        });
    }
    // Types a line and Enter wherever the keyboard goes, as a user would
    // right after F12: the newest history line shows whether the console ran it.
    void type_line(const std::string& line) {
        type_text(line);
        press_key(VK_RETURN);
        wait_until([&] { return history(0) == line + " 200"; }, 3s);
    }
};

TEST_F(HotKeyTest, F12IsTheConsolesHotKeyAndHandsItTheKeyboardFromAnotherWindow) {
    start_console();
    // The console holds F12: this program cannot register it too.
    const BOOL taken = RegisterHotKey(nullptr, 1, 0, VK_F12);
    const DWORD error = GetLastError();
    if (taken) UnregisterHotKey(nullptr, 1);
    EXPECT_FALSE(taken) << "F12 was free while the console ran";
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_HOTKEY_ALREADY_REGISTERED));

    ASSERT_TRUE(toggle_with_f12(band, false));
    KeyProbe probe;
    ASSERT_TRUE(probe.bring_forward());
    ASSERT_TRUE(f12_brings_the_band_forward()) << "F12 left the keyboard with the other window";
    type_line("con_openinterval");
    EXPECT_EQ(history(0), "con_openinterval 200") << "the typed command did not run";
    EXPECT_EQ(text_of(input), "");
    shot("hot_key_over_probe");
    EXPECT_FALSE(probe.got_f12_or_typing()) << "the probe received " << listed(probe.received());

    // Shown but covered by the other window, the band comes to the front
    // rather than hiding; in front, F12 hides it.
    ASSERT_TRUE(probe.bring_forward());
    ASSERT_TRUE(visible(band));
    EXPECT_TRUE(f12_brings_the_band_forward()) << "F12 did not bring the covered band forward";
    EXPECT_TRUE(toggle_with_f12(band, false)) << "F12 did not hide the band in front";
    EXPECT_FALSE(probe.got_f12_or_typing()) << "the probe received " << listed(probe.received());
}

// F12 held by another program before the console starts, as every Windows
// holds it for its debugger: the console takes each press before the
// program in front sees it, whatever the polling interval, 0 (no timer)
// included.
class HeldF12Test : public HotKeyTest, public ::testing::WithParamInterface<int> {
protected:
    // The settings file with the skin, colour 1 and the interval.
    void SetUp() override {
        HotKeyTest::SetUp();
        std::string interval = std::to_string(GetParam());
        interval.insert(0, 6 - interval.size(), ' ');
        ASSERT_TRUE(write_file(settings_file, skin1_path + " 1" + interval + "\r\n"));
    }
    void expect_probe_got_nothing(const KeyProbe& probe, const char* after) {
        EXPECT_TRUE(probe.received().empty())
            << after << ": the probe received " << listed(probe.received());
    }
};

TEST_P(HeldF12Test, TheConsoleTakesEachPressAndTheProgramInFrontSeesNoneOfIt) {
    KeyProbe probe(true);
    ASSERT_TRUE(probe.holds_f12());
    // A press before the console starts is not the console's to act on.
    press_key(VK_F12);
    start_console();
    std::this_thread::sleep_for(600ms);
    EXPECT_TRUE(visible(band)) << "an F12 pressed before the start hid the band";

    ASSERT_TRUE(probe.bring_forward());
    ASSERT_TRUE(f12_brings_the_band_forward()) << "F12 left the keyboard with the probe";
    expect_probe_got_nothing(probe, "F12 over the probe");
    const std::string line = "con_openinterval";
    type_text(line);
    press_key(VK_RETURN);
    const std::string echoed = line + " " + std::to_string(GetParam());
    EXPECT_TRUE(wait_until([&] { return history(0) == echoed; }, 3s))
        << "the typed command did not run: " << history(0);
    shot("held_f12_over_probe_" + std::to_string(GetParam()));
    expect_probe_got_nothing(probe, "the typed command");

    ASSERT_TRUE(toggle_with_f12(band, false)) << "F12 did not hide the band in front";
    expect_probe_got_nothing(probe, "F12 hiding the band");

    // Held down, the key repeats; the band comes forward once and stays.
    ASSERT_TRUE(probe.bring_forward());
    int shown_changes = 0;
    bool was_visible = visible(band);
    for (int repeat = 0; repeat < 15; ++repeat) {
        send_key(VK_F12, true);
        std::this_thread::sleep_for(40ms);
        if (visible(band) != was_visible) ++shown_changes, was_visible = !was_visible;
    }
    send_key(VK_F12, false);
    std::this_thread::sleep_for(600ms);
    if (visible(band) != was_visible) ++shown_changes;
    EXPECT_EQ(shown_changes, 1) << "a held F12 toggled the band more than once";
    EXPECT_TRUE(visible(band) && GetForegroundWindow() == band);
    expect_probe_got_nothing(probe, "F12 held");
}

// Windows removes a hook that once answers too late, and tells nobody.
// Removed so here, the hook lets the next F12 reach the key state and the
// program in front; the console acts on that press once, at its timer's
// next look or its watch's (interval 0), and installs the hook again,
// which takes the presses after it.
TEST_P(HeldF12Test, AfterWindowsRemovedTheHookF12ActsOnceAndTheHookTakesItAgain) {
    KeyProbe probe(true);
    ASSERT_TRUE(probe.holds_f12());
    start_console();
    ASSERT_TRUE(toggle_with_f12(band, false)) << "the hook did not take F12 at first";
    ASSERT_TRUE(drop_console_hook(console.id(), band));
    std::this_thread::sleep_for(300ms);
    ASSERT_TRUE(probe.bring_forward());
    press_key(VK_F12);
    EXPECT_EQ(shown_changes_over(band, false, 1500ms), 1) << "the press missed by the hook";
    EXPECT_TRUE(visible(band) && GetForegroundWindow() == band);
    EXPECT_EQ(probe.hot_keys(), 1) << "the removed hook still took F12";
    shot("held_f12_hook_installed_again_" + std::to_string(GetParam()));

    // The hook's road again: the program in front sees no press of F12.
    ASSERT_TRUE(probe.bring_forward());
    ASSERT_TRUE(f12_brings_the_band_forward()) << "F12 left the keyboard with the probe";
    EXPECT_TRUE(toggle_with_f12(band, false)) << "F12 did not hide the band in front";
    EXPECT_EQ(shown_changes_over(band, false, 600ms), 0) << "a press acted twice";
    expect_probe_got_nothing(probe, "F12 after the hook was installed again");
}

INSTANTIATE_TEST_SUITE_P(Intervals, HeldF12Test, ::testing::Values(200, 0),
                         [](const auto& info) { return "interval" + std::to_string(info.param); });

}  // namespace
}  // namespace vh::e2e
