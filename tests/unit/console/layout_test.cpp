// The band's geometry in pixels for the screens and scalings people have.
#include <gtest/gtest.h>

#include "console/layout.h"

namespace vh {
namespace {

struct Screen {
    int width, height, dpi;
    int band_height;  // expected outer height
    int newest_top;   // expected top of the newest history line
};

// Band heights and newest-line tops worked out by hand from the designed
// twips at each density: where the designed tops fit they stay (138 at 96
// DPI); where they do not, the newest line ends on the input line's top and
// the band grows only when the oldest line would leave it.
const Screen screens[] = {
    {1024, 768, 96, 192, 134},    // 4 px up; the oldest still fits (top 9)
    {1366, 768, 96, 192, 134},
    {1280, 784, 96, 196, 138},    // the smallest height where nothing moves
    {1920, 1080, 96, 270, 138},
    {1920, 1200, 96, 300, 138},
    {1366, 768, 120, 228, 155},   // was under the input line by 22 px
    {1280, 1024, 120, 256, 172},  // designed tops fit
    {1920, 1080, 144, 278, 190},  // was 24 of 38 px hidden
    {1920, 1200, 168, 322, 220},  // 8.57 twips per pixel, not 9
    {2560, 1440, 192, 367, 250},  // 7.5 twips per pixel, not 8
    {3840, 2160, 192, 540, 273},  // designed tops fit
    {800, 600, 96, 183, 125},
};

TEST(ConsoleLayout, BandFitsTheScreenAndEveryHistoryLineIsVisible) {
    for (const Screen& s : screens) {
        SCOPED_TRACE(testing::Message() << s.width << "x" << s.height << " at " << s.dpi);
        const ConsoleLayout l = console_layout(s.width, s.height, s.dpi);
        EXPECT_EQ(l.window_width, s.width);
        EXPECT_EQ(l.window_height, s.band_height);
        EXPECT_EQ(l.labels[0].top, s.newest_top);
        EXPECT_LE(l.labels[0].bottom(), l.input.top);
        const int client_height = l.window_height - 2;
        EXPECT_LT(l.input.top, client_height);
        for (int i = 0; i < history_lines; ++i) {
            EXPECT_GE(l.labels[i].top, 0) << i;
            EXPECT_LE(l.labels[i].bottom(), client_height) << i;
            EXPECT_EQ(l.labels[i].width, s.width - twips_to_pixels(200, s.dpi)) << i;
            if (i > 0) {
                EXPECT_LE(l.labels[i].bottom(), l.labels[i - 1].top) << i;
            }
        }
        EXPECT_EQ(l.input.width, s.width - twips_to_pixels(240, s.dpi));
        // Lines that moved moved just enough: the newest ends on the input
        // line, and a grown band holds the oldest at its very top.
        const ConsoleLayout designed = console_layout(s.width, 1 << 20, s.dpi);
        if (l.labels[0].top != designed.labels[0].top) {
            EXPECT_EQ(l.labels[0].bottom(), l.input.top);
        }
        if (l.window_height != (s.height + 2) / 4) {
            EXPECT_EQ(l.labels[5].top, 0);
        }
    }
}

TEST(ConsoleLayout, At96DpiTheDesignedFiguresHold) {
    const ConsoleLayout l = console_layout(1920, 1080, 96);
    EXPECT_EQ(l.input, (PixelRect{10, 237, 1904, 38}));
    const int tops[] = {138, 113, 88, 63, 38, 13};  // 2065 to 190 twips
    for (int i = 0; i < history_lines; ++i)
        EXPECT_EQ(l.labels[i], (PixelRect{16, tops[i], 1907, 25})) << i;
}

}  // namespace
}  // namespace vh
