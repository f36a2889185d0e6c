// Where the console band and its controls go, in pixels, from the size in
// pixels of the monitor it spans and that monitor's real pixels per inch.
// The controls are designed in twips (1/1440 inch); each designed figure is
// converted at the monitor's own density, never through a rounded number of
// twips per pixel, so the band is exactly as wide as the monitor.
//
// The band spans the monitor's width and a quarter of its height from its
// top-left corner (band_placement.h chooses the monitor);
// the input line sits 500 twips above the band's bottom. The six history
// lines keep their designed tops where those fit; where the newest line
// would run under the input line, all six move up just enough to sit wholly
// above it, and where the oldest line would then leave the band, the band
// grows just enough to hold it.
#pragma once

#include <array>

#include "console/console_state.h"

namespace vh {

struct PixelRect {
    int left = 0, top = 0, width = 0, height = 0;
    int bottom() const { return top + height; }
    bool operator==(const PixelRect&) const = default;
};

struct ConsoleLayout {
    int window_width = 0;   // outer size, in pixels
    int window_height = 0;
    PixelRect input;                             // the input line, in client pixels
    std::array<PixelRect, history_lines> labels;  // history lines, 0 the lowest
    int dpi = 96;                                 // the density it was made for
    // The fonts' character heights in pixels at that density: the input
    // line's 14.25 points, the history lines' 12.
    int input_font_height = 0;
    int label_font_height = 0;
};

// The designed client area of the band; its outer size adds a one-pixel
// border on each side.
constexpr int designed_client_width = 9450;
constexpr int designed_client_height = 3105;

ConsoleLayout console_layout(int screen_width_pixels, int screen_height_pixels, int dpi);

// Twips to pixels at a density, to the nearest pixel.
int twips_to_pixels(double twips, int dpi);
// A font's character height in pixels, from its size in points.
int points_to_pixels(double points, int dpi);

// The designed fonts' sizes in points.
constexpr double input_font_points = 14.25;
constexpr double label_font_points = 12;

}  // namespace vh
