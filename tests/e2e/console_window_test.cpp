// The console band as a user meets it: where it stands, what it reads from
// the settings file and what it leaves behind when it ends.
#include <thread>

#include "tests/e2e/console_fixture.h"

namespace vh::e2e {
namespace {

bool is_reddish(COLORREF c) {
    return GetRValue(c) > 200 && GetGValue(c) < 60 && GetBValue(c) < 60;
}

int count_pixels(const RECT& area, bool (*match)(COLORREF)) {
    HDC screen = GetDC(nullptr);
    int count = 0;
    for (int y = area.top; y < area.bottom; y += 1)
        for (int x = area.left; x < area.right; x += 1)
            if (match(GetPixel(screen, x, y))) ++count;
    ReleaseDC(nullptr, screen);
    return count;
}

TEST_F(ConsoleTest, BandLayoutSkinRunValueAndSettingsWrittenBackUnchanged) {
    ASSERT_TRUE(write_file(settings_file, example_settings));
    start_console();

    // The band: at (0, 0), the screen's width, a quarter of its height.
    const RECT band_rect = screen_rect(band);
    EXPECT_EQ(band_rect.left, 0);
    EXPECT_EQ(band_rect.top, 0);
    EXPECT_EQ(band_rect.right - band_rect.left, 1024);
    EXPECT_EQ(band_rect.bottom - band_rect.top, 192);

    // The input line: Left 150, Top 2380, Width 15120, Height 570 twips.
    const RECT in = rect_in_parent(input);
    EXPECT_EQ(in.left, 10);
    EXPECT_EQ(in.top, 159);
    EXPECT_EQ(in.right - in.left, 1008);
    EXPECT_EQ(in.bottom - in.top, 38);

    // Six history lines, Left 240, Width 15160 twips: the designed tops
    // (2065 .. 190 twips) would put the newest 4 px under the input line, so
    // all six sit 4 px higher, the newest ending where the input line starts.
    const int tops[] = {134, 109, 84, 59, 34, 9};
    const auto labels = history_labels();
    for (int i = 0; i < 6; ++i) {
        SCOPED_TRACE(i);
        ASSERT_NE(labels[i], nullptr);
        const RECT r = rect_in_parent(labels[i]);
        EXPECT_EQ(r.top, tops[i]);
        EXPECT_EQ(r.left, 16);
        EXPECT_EQ(r.right - r.left, 1011);
        EXPECT_EQ(r.bottom - r.top, 25);
        EXPECT_EQ(text_of(labels[i]), "");
    }

    // The skin shows: without it the band above the input line is pure
    // black, with it (even a dark picture) nearly every pixel has colour.
    std::this_thread::sleep_for(300ms);
    const int coloured = count_pixels({300, 2, 700, 130}, [](COLORREF c) {
        return GetRValue(c) + GetGValue(c) + GetBValue(c) > 12;
    });
    EXPECT_GT(coloured, 400 * 128 / 2) << "no skin behind the history lines";
    shot("console_band");

    EXPECT_EQ(registry_string(HKEY_LOCAL_MACHINE, run_key, "Varnholde"),
              "C:\\Tessarimondale\\Varnholde\\Varnholde.exe");

    // Ending the window writes the settings back, byte for byte.
    PostMessageW(band, WM_CLOSE, 0, 0);
    ASSERT_TRUE(console.wait_exit(10s));
    EXPECT_EQ(read_file(settings_file), example_settings);
    EXPECT_FALSE(file_exists(install_dir + "\\us_param.tmp"));
}

TEST_F(ConsoleTest, TheStoredColourIsGivenToTheInputLineAndTheHistory) {
    std::string red = example_settings;
    red[46] = '4';
    ASSERT_TRUE(write_file(settings_file, red));
    start_console();
    enter("WWWW");
    EXPECT_EQ(history(0), "WWWW");
    bring_to_front(band);
    type_text("MMMMMM");
    std::this_thread::sleep_for(300ms);
    EXPECT_GT(count_pixels(screen_rect(input), is_reddish), 20) << "input text is not red";
    EXPECT_GT(count_pixels(screen_rect(history_labels()[0]), is_reddish), 20)
        << "history text is not red";
    shot("console_red_text");
    PostMessageW(band, WM_CLOSE, 0, 0);
    ASSERT_TRUE(console.wait_exit(10s));
    EXPECT_EQ(read_file(settings_file), red);
}

TEST_F(ConsoleTest, WithoutASettingsFileTheDesignedLookIsWrittenAtUnload) {
    start_console();
    PostMessageW(band, WM_CLOSE, 0, 0);
    ASSERT_TRUE(console.wait_exit(10s));
    EXPECT_EQ(read_file(settings_file), std::string(" 1   200\r\n"));
}

TEST_F(ConsoleTest, AMissingSkinKeepsTheStoredColourAndInterval) {
    std::string text = example_settings;
    text[46] = '3';
    text.replace(48, 5, "   50");
    ASSERT_TRUE(write_file(settings_file, text));
    remove_tree(skin1_path);
    start_console();
    PostMessageW(band, WM_CLOSE, 0, 0);
    ASSERT_TRUE(console.wait_exit(10s));
    EXPECT_EQ(read_file(settings_file), text);
}

}  // namespace
}  // namespace vh::e2e
