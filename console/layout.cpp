#include "console/layout.h"

namespace vh {

ConsoleLayout console_layout(int screen_width_twips, int screen_height_twips,
                             int twips_per_pixel_y) {
    ConsoleLayout layout;
    // The label tops come from the designed height, before the band is
    // resized, and are not recomputed afterwards.
    const int designed_height = designed_client_height + 2 * twips_per_pixel_y;
    layout.window_width = screen_width_twips;
    layout.window_height = screen_height_twips / 4;
    layout.input = {150, layout.window_height - 500, layout.window_width - 240, 570};
    for (int i = 0; i < history_lines; ++i)
        layout.labels[i] = {240, designed_height - 500 - 570 - 375 * i, layout.window_width - 200,
                            375};
    return layout;
}

}  // namespace vh
