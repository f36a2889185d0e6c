// The notification icon and its menu, the F12 hot key, Up/Down recall and
// the About box, driven through real mouse and keyboard input.
#include <thread>

#include "tests/e2e/console_fixture.h"

namespace vh::e2e {
namespace {

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
    ASSERT_NE(wait_for_popup_menu(console.id()), nullptr) << "the icon's menu did not open";
    shot("tray_menu");
    press_key(VK_HOME);
    press_key(VK_RETURN);
    EXPECT_TRUE(wait_until([&] { return !visible(band); })) << "Консоль did not hide the band";
    right_click_at(*icon);
    ASSERT_NE(wait_for_popup_menu(console.id()), nullptr);
    press_key(VK_HOME);
    press_key(VK_RETURN);
    EXPECT_TRUE(wait_until([&] { return visible(band); })) << "Консоль did not show the band";

    // "Выход" (the last item) writes the settings and ends the program.
    enter("con_fontcolor 5");
    right_click_at(*icon);
    ASSERT_NE(wait_for_popup_menu(console.id()), nullptr);
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
    press_key(VK_F12);
    EXPECT_TRUE(wait_until([&] { return !visible(band); }, 2s));
    press_key(VK_F12);
    EXPECT_TRUE(wait_until([&] { return visible(band); }, 2s));
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
