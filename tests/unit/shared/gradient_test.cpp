#include "shared/gradient.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace vh {
namespace {

std::vector<int> blues(int height) {
    std::vector<int> out;
    for (const GradientBand& band : gradient_bands(height)) out.push_back(band.blue);
    return out;
}

TEST(Gradient, NoHeightPaintsNothing) {
    EXPECT_TRUE(gradient_bands(0).empty());
    EXPECT_TRUE(gradient_bands(-5).empty());
}

TEST(Gradient, OnePixelHeightGivesFullBlueThenDarkest) {
    const auto bands = gradient_bands(1);
    ASSERT_EQ(bands.size(), 2u);
    EXPECT_EQ(bands[0].blue, 255);
    EXPECT_EQ(bands[1].blue, 75);
    // Each band covers the row above its index and its own row.
    EXPECT_EQ(bands[0].top, -1);
    EXPECT_EQ(bands[0].bottom, 1);
    EXPECT_EQ(bands[1].top, 0);
    EXPECT_EQ(bands[1].bottom, 2);
}

TEST(Gradient, EveryHeightCoversAllRowsAndFadesToSeventyFive) {
    for (int height : {2, 3, 7, 100, 599, 768, 1200, 4320}) {
        SCOPED_TRACE(height);
        const auto bands = gradient_bands(height);
        ASSERT_EQ(bands.size(), static_cast<size_t>(height) + 1);
        EXPECT_EQ(bands.front().blue, 255);
        EXPECT_EQ(bands.back().blue, 75);
        EXPECT_GE(bands.back().bottom, height);  // the last row is painted
        for (size_t i = 1; i < bands.size(); ++i) {
            EXPECT_LE(bands[i].blue, bands[i - 1].blue);
            EXPECT_EQ(bands[i].top, bands[i - 1].top + 1);  // no row left out
        }
        // The top stays pure blue for about 29 % of the height.
        if (height >= 100) {
            const auto b = blues(height);
            const double pure = std::count(b.begin(), b.end(), 255) / double(height);
            EXPECT_NEAR(pure, 0.29, 0.015);
        }
    }
}

TEST(Gradient, LargeHeightsDoNotOverflow) {
    EXPECT_EQ(gradient_blue(20'000'000, 20'000'000), 75);
    EXPECT_EQ(gradient_blue(10'000'000, 20'000'000), 203);  // 330 - 127
}

}  // namespace
}  // namespace vh
