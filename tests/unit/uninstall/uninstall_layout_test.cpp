#include "uninstall/uninstall_layout.h"

#include <gtest/gtest.h>

namespace vh::uninstall_layout {
namespace {

TEST(UninstallLayout, PanelIsCentredOnTheScreen) {
    struct Case {
        float screen_width, screen_height, left, top;
    };
    for (const Case& c : {Case{12000, 9000, 3500, 3900},    // 800 x 600 at 15 twips
                          Case{15360, 11520, 5180, 5160},   // 1024 x 768
                          Case{19200, 14400, 7100, 6600}}) { // 1600 x 1200 at 12 twips
        const Point p = panel_origin(c.screen_width, c.screen_height);
        EXPECT_EQ(p.left, c.left);
        EXPECT_EQ(p.top, c.top);
    }
}

}  // namespace
}  // namespace vh::uninstall_layout
