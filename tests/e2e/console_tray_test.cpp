// The notification icon and its menu, the F12 hot key, Up/Down recall and
// the About box, driven through real mouse and keyboard input.
#include <thread>

#include "tests/e2e/console_fixture.h"
// After windows.h, which the fixture brings.
#include <shellapi.h>

namespace vh::e2e {
namespace {

FILETIME last_write_time(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    GetFileAttributesExW(to_utf16(path).c_str(), GetFileExInfoStandard, &data);
    return data.ftLastWriteTime;
}

// Dates the file back to 1 January 2001, so that any later write shows.
void date_back(const std::string& path) {
    SYSTEMTIME old{};
    old.wYear = 2001;
    old.wMonth = 1;
    old.wDay = 1;
    FILETIME time{};
    SystemTimeToFileTime(&old, &time);
    HANDLE file = CreateFileW(to_utf16(path).c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    SetFileTime(file, nullptr, nullptr, &time);
    CloseHandle(file);
}

std::vector<HWND> about_boxes(const Program& console) {
    std::vector<HWND> boxes;
    for (HWND w : top_windows(console.id(), "#32770"))
        if (visible(w)) boxes.push_back(w);
    return boxes;
}

TEST_F(ConsoleTest, TheIconMenuTogglesTheBandAndEndsTheProgram) {
    ASSERT_TRUE(write_file(settings_file, example_settings));
    start_console();
    std::optional<POINT> icon;
    ASSERT_TRUE(wait_until([&] { return (icon = find_console_tray_icon()).has_value(); }))
        << "no icon in the notification area";
    shot("tray_icon");

    // A right-button release over the icon opens the menu; "Консоль" (its
    // first item) hides the band. Items are chosen with Home and End: the
    // console polls the arrow keys wherever they are pressed, and an arrow
    // pressed for the menu could recall a history line into the input line
    // while the next command is being typed.
    right_click_at(*icon);
    ASSERT_NE(wait_for_menu(console.id()), nullptr) << "the icon's menu did not open";
    shot("tray_menu");
    press_key(VK_HOME);
    press_key(VK_RETURN);
    EXPECT_TRUE(wait_until([&] { return !visible(band); })) << "Консоль did not hide the band";
    right_click_at(*icon);
    ASSERT_NE(wait_for_menu(console.id()), nullptr);
    press_key(VK_HOME);
    press_key(VK_RETURN);
    EXPECT_TRUE(wait_until([&] { return visible(band); })) << "Консоль did not show the band";

    // "Выход" (the last item) writes the settings and ends the program.
    enter("con_fontcolor 5");
    right_click_at(*icon);
    ASSERT_NE(wait_for_menu(console.id()), nullptr);
    press_key(VK_END);
    press_key(VK_RETURN);
    ASSERT_TRUE(console.wait_exit(10s)) << "Выход did not end the program";
    std::string expected = example_settings;
    expected[46] = '5';
    EXPECT_EQ(read_file(settings_file), expected);
    EXPECT_FALSE(wait_until([] { return find_console_tray_icon().has_value(); }, 1s) &&
                 find_console_tray_icon().has_value())
        << "the icon stayed in the notification area";
}

TEST_F(ConsoleTest, F12HidesAndShowsTheBandFromAnywhere) {
    start_console();
    EXPECT_TRUE(toggle_with_f12(band, false));
    EXPECT_TRUE(toggle_with_f12(band, true));
}

// An ordinary tap (120 ms down, so two or three ticks see the key held) at
// the quick 50 ms interval: every tap toggles the band once, and it stays
// as the tap left it.
TEST_F(ConsoleTest, F12TappedTwentyTimesAtFiftyMillisecondsTogglesTwentyTimes) {
    start_console();
    enter("con_openinterval 50");
    EXPECT_EQ(history(0), "con_openinterval 50");
    int toggles = 0;
    for (int tap = 1; tap <= 20; ++tap) {
        SCOPED_TRACE("tap " + std::to_string(tap));
        const bool expected = !visible(band);
        // The helper's pause after the toggle is four ticks or more: the
        // band must still be as the tap left it.
        if (toggle_with_f12(band, expected, 120ms) && visible(band) == expected) ++toggles;
    }
    EXPECT_EQ(toggles, 20);
    EXPECT_TRUE(visible(band));
}

// Explorer restarted: its new taskbar has no icons and tells every window
// so. The console adds its icon again.
TEST_F(ConsoleTest, TheIconIsAddedAgainWhenTheTaskbarIsCreatedAgain) {
    start_console();
    ASSERT_TRUE(wait_until([] { return find_console_tray_icon().has_value(); }))
        << "no icon in the notification area";
    // The icon gone, as from a new taskbar: the shell knows it by window and number.
    NOTIFYICONDATAW icon{};
    icon.cbSize = NOTIFYICONDATAW_V1_SIZE;
    icon.hWnd = band;
    icon.uID = 0;
    ASSERT_TRUE(Shell_NotifyIconW(NIM_DELETE, &icon));
    ASSERT_TRUE(wait_until([] { return !find_console_tray_icon().has_value(); }));
    PostMessageW(band, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
    EXPECT_TRUE(wait_until([] { return find_console_tray_icon().has_value(); }))
        << "the icon did not come back";
}

// The Run value starts one console at log-on, the Start menu another: the
// second shows the first, as F12 would, and ends without adding an icon or
// writing the settings file.
TEST_F(ConsoleTest, ASecondStartShowsTheFirstConsoleAndEndsWritingNothing) {
    ASSERT_TRUE(write_file(settings_file, example_settings));
    start_console();
    ASSERT_TRUE(wait_until([] { return find_console_tray_icon().has_value(); }));
    const int one_icon = tray_icon_pixels();
    enter("con_fontcolor 5");
    press_key(VK_F12);
    ASSERT_TRUE(wait_until([&] { return !visible(band); }, 2s));
    date_back(settings_file);
    const FILETIME dated = last_write_time(settings_file);

    Program second = Program::start(install_dir + "\\Varnholde.exe");
    EXPECT_TRUE(second.wait_exit(10s)) << "the second start did not end";
    EXPECT_TRUE(wait_until([&] { return visible(band); }, 3s)) << "the first console stayed hidden";
    EXPECT_TRUE(console.running());
    EXPECT_EQ(top_windows(0, "VarnholdeConsole").size(), 1u);
    std::this_thread::sleep_for(500ms);
    EXPECT_LT(tray_icon_pixels(), one_icon * 3 / 2) << "a second icon";
    const FILETIME now = last_write_time(settings_file);
    EXPECT_EQ(CompareFileTime(&now, &dated), 0) << "the second start wrote the settings";
    EXPECT_EQ(read_file(settings_file), example_settings);

    // The first console's own end writes the settings, once.
    PostMessageW(band, WM_CLOSE, 0, 0);
    ASSERT_TRUE(console.wait_exit(10s));
    std::string expected = example_settings;
    expected[46] = '5';
    EXPECT_EQ(read_file(settings_file), expected);
}

TEST_F(ConsoleTest, UpAndDownBringBackHistoryLines) {
    start_console();
    enter("first");
    enter("second");
    // The timer polls every 200 ms: one press per tick, each then read back.
    const auto recall = [&](WORD key) {
        press_key(key);
        std::this_thread::sleep_for(400ms);
        return text_of(input);
    };
    EXPECT_EQ(recall(VK_UP), "second");
    EXPECT_EQ(recall(VK_UP), "first");
    EXPECT_EQ(recall(VK_DOWN), "first");  // Up then Down brings the same line twice
    EXPECT_EQ(recall(VK_DOWN), "second");
    EXPECT_EQ(recall(VK_DOWN), "second");  // and stays at the newest
}

TEST_F(ConsoleTest, TheAboutBoxOpensOnceShowsTheVersionAndStartsTheReadMe) {
    ASSERT_TRUE(write_file(install_dir + "\\ReadMe.txt", "Varnholde\r\n"));
    start_console();
    enter("about");
    ASSERT_TRUE(wait_until([&] { return about_boxes(console).size() == 1; }));
    HWND about = about_boxes(console)[0];
    EXPECT_NE(child_with_text(about, "Version 1.3.0"), nullptr);
    EXPECT_NE(child_with_text(about, "Varnholde"), nullptr);
    EXPECT_NE(child_with_text(about, "Вся инфа по использованию консоли в ReadMe файле"), nullptr);
    shot("about_box");
    enter("ABOUT");
    std::this_thread::sleep_for(300ms);
    EXPECT_EQ(about_boxes(console).size(), 1u);

    HWND readme = child_with_text(about, "ReadMe");
    ASSERT_NE(readme, nullptr);
    click(readme);
    EXPECT_TRUE(wait_until([] { return !visible_windows_of_class("Notepad").empty(); }, 15s))
        << "Notepad did not open the read-me";
    close_windows_of_class("Notepad");
    EXPECT_EQ(about_boxes(console).size(), 1u) << "ReadMe closed the box";

    HWND ok = child_with_text(about, "Понял!");
    ASSERT_NE(ok, nullptr);
    click(ok);
    EXPECT_TRUE(wait_until([&] { return about_boxes(console).empty(); }));
    enter("about");
    EXPECT_TRUE(wait_until([&] { return about_boxes(console).size() == 1; }))
        << "the box did not open again after Понял!";
}

}  // namespace
}  // namespace vh::e2e
