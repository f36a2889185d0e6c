// What every window of the three programs needs to place and letter its
// controls as designed: twips and pixels at the screen's real resolution,
// and fonts with the Cyrillic character set.
#pragma once

#include <windows.h>

#include "platform/win32/win_handle.h"

namespace vh {

// A rectangle in twips (1/1440 inch): left, top, width, height.
struct TwipRect {
    float left, top, width, height;
};

// Twips and pixels at the screen's logical resolution: 15 twips to the
// pixel at 96 dots per inch, 12 at 120, 10 at 144.
class TwipScale {
public:
    TwipScale();  // reads the screen's resolution
    TwipScale(int dpi_x, int dpi_y) : dpi_x_(dpi_x), dpi_y_(dpi_y) {}
    int x(float twips) const;  // twips to pixels, rounded
    int y(float twips) const;
    float twips_x(int pixels) const;  // pixels to twips
    float twips_y(int pixels) const;
    RECT pixels(const TwipRect& box) const;  // left, top, right, bottom
    int dpi_y() const { return dpi_y_; }

private:
    int dpi_x_, dpi_y_;
};

// The whole screen's size in twips.
float screen_width_twips(const TwipScale& scale);
float screen_height_twips(const TwipScale& scale);

// A font with the Cyrillic character set (204) at a size in points, at the
// given pixels per inch (0: the screen's).
Font create_cyrillic_font(const wchar_t* face, float points, bool bold, bool italic = false,
                          int dpi = 0);
// The same font by its character height in pixels.
Font create_cyrillic_font_of_height(const wchar_t* face, int pixels, bool bold,
                                    bool italic = false);

}  // namespace vh
