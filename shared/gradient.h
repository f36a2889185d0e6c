// The blue gradient behind the installer's and the uninstaller's windows, as
// plain numbers: which colour each band has for a given client height. The
// Win32 routine in gradient_paint_win.h turns the bands into rectangles.
#pragma once

#include <vector>

namespace vh {

// Band i of 0..height: a full-width rectangle over rows i - 1 and i
// (bottom exclusive, as in a Win32 RECT), filled with (0, 0, blue). Each
// band overlaps the one before, so row r ends up in the colour of band r + 1.
struct GradientBand {
    int top;
    int bottom;  // exclusive
    int blue;
};

// 330 - 255 * i / height (whole-number division), clamped at 255: the top
// ~29 % of the height is pure blue, then it fades evenly down to 75.
int gradient_blue(int band, int height);

// The bands for a client height in pixels, top to bottom; none for a
// height of 0 or less.
std::vector<GradientBand> gradient_bands(int height);

}  // namespace vh
