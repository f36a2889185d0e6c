// The band's geometry in twips for screens of several sizes and densities.
#include <gtest/gtest.h>

#include "console/layout.h"

namespace vh {
namespace {

TEST(ConsoleLayout, At96DpiOn1024By768TheBandIsAQuarterOfTheScreen) {
    const ConsoleLayout l = console_layout(1024 * 15, 768 * 15, 15);
    EXPECT_EQ(l.window_width, 15360);
    EXPECT_EQ(l.window_height, 2880);
    EXPECT_EQ(l.input, (TwipsRect{150, 2380, 15120, 570}));
    const int tops[] = {2065, 1690, 1315, 940, 565, 190};
    for (int i = 0; i < history_lines; ++i)
        EXPECT_EQ(l.labels[i], (TwipsRect{240, tops[i], 15160, 375})) << i;
    // The lowest history line reaches 60 twips into the input line.
    EXPECT_EQ(l.labels[0].top + l.labels[0].height - l.input.top, 60);
}

TEST(ConsoleLayout, LabelTopsComeFromTheDesignedHeightWhateverTheScreen) {
    for (int height : {600, 768, 1080, 1440}) {
        const ConsoleLayout l = console_layout(1920 * 15, height * 15, 15);
        EXPECT_EQ(l.labels[0].top, 2065) << height;
        EXPECT_EQ(l.labels[5].top, 190) << height;
        EXPECT_EQ(l.input.top, height * 15 / 4 - 500) << height;
    }
    // At 120 pixels per inch the border is 12 twips: the designed height is
    // 3105 + 24, so every top moves up by 6.
    const ConsoleLayout dense = console_layout(1280 * 12, 1024 * 12, 12);
    EXPECT_EQ(dense.labels[0].top, 2059);
    EXPECT_EQ(dense.window_height, 3072);
}

}  // namespace
}  // namespace vh
