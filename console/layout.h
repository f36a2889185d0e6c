// Where the console band and its controls go, in twips (1/1440 inch), from
// the screen's size: the window spans the screen's width and a quarter of
// its height at (0, 0); the input line sits 500 twips above the band's
// bottom and the six history lines stack above it.
#pragma once

#include <array>

#include "console/console_state.h"

namespace vh {

struct TwipsRect {
    int left = 0, top = 0, width = 0, height = 0;
    bool operator==(const TwipsRect&) const = default;
};

struct ConsoleLayout {
    int window_width = 0;   // outer size
    int window_height = 0;
    TwipsRect input;                             // the input line
    std::array<TwipsRect, history_lines> labels;  // history lines, 0 the lowest
};

// The designed client area of the band; its outer size adds a one-pixel
// border on each side.
constexpr int designed_client_width = 9450;
constexpr int designed_client_height = 3105;

ConsoleLayout console_layout(int screen_width_twips, int screen_height_twips,
                             int twips_per_pixel_y);

}  // namespace vh
