#include "console/layout.h"

#include <cmath>

namespace vh {

namespace {

constexpr double twips_per_inch = 1440;
constexpr int border_pixels = 1;
constexpr int input_left = 150, input_above_bottom = 500, input_height = 570;
constexpr int input_width_margin = 240;
constexpr int label_left = 240, label_height = 375, label_width_margin = 200;

// The history line tops as designed: the newest counted from the band's
// designed outer height, input-line height and the input line's distance
// from the bottom; the others stacked above it one line height apart, in
// whole pixels, so that neighbouring lines never overlap.
std::array<int, history_lines> designed_label_tops(int dpi) {
    const double border_twips = border_pixels * twips_per_inch / dpi;
    const double designed_height = designed_client_height + 2 * border_twips;
    const int newest = twips_to_pixels(designed_height - input_above_bottom - input_height, dpi);
    const int step = twips_to_pixels(label_height, dpi);
    std::array<int, history_lines> tops{};
    for (int i = 0; i < history_lines; ++i) tops[i] = newest - step * i;
    return tops;
}

}  // namespace

int twips_to_pixels(double twips, int dpi) {
    return static_cast<int>(std::lround(twips * dpi / twips_per_inch));
}

int points_to_pixels(double points, int dpi) {
    return static_cast<int>(std::lround(points * dpi / 72.0));
}

ConsoleLayout console_layout(int screen_width_pixels, int screen_height_pixels, int dpi) {
    if (dpi <= 0) dpi = 96;
    const auto px = [dpi](double twips) { return twips_to_pixels(twips, dpi); };
    const int label_pixels = px(label_height);
    const int input_offset = px(input_above_bottom);
    const std::array<int, history_lines> designed = designed_label_tops(dpi);

    int height = static_cast<int>(std::lround(screen_height_pixels / 4.0));
    // How far the newest line reaches under the input line, and whether
    // moving the stack up by that much would push the oldest out of the top.
    int shift = designed[0] + label_pixels - (height - input_offset);
    if (shift > 0 && designed[history_lines - 1] - shift < 0) {
        // Growing the band moves the input line down with its bottom, so
        // every pixel it grows is one pixel less to move the stack up.
        height += shift - designed[history_lines - 1];
        shift = designed[history_lines - 1];
    }
    if (shift < 0) shift = 0;

    ConsoleLayout layout;
    layout.window_width = screen_width_pixels;
    layout.window_height = height;
    layout.dpi = dpi;
    layout.input_font_height = points_to_pixels(input_font_points, dpi);
    layout.label_font_height = points_to_pixels(label_font_points, dpi);
    layout.input = {px(input_left), height - input_offset,
                    screen_width_pixels - px(input_width_margin), px(input_height)};
    for (int i = 0; i < history_lines; ++i)
        layout.labels[i] = {px(label_left), designed[i] - shift,
                            screen_width_pixels - px(label_width_margin), label_pixels};
    return layout;
}

}  // namespace vh
