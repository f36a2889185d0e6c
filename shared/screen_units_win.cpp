#include "shared/screen_units_win.h"

#include <cmath>

namespace vh {

namespace {

constexpr float twips_per_inch = 1440;

int screen_dpi(int index) {
    HDC screen = GetDC(nullptr);
    const int dpi = screen ? GetDeviceCaps(screen, index) : 96;
    if (screen) ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : 96;
}

}  // namespace

TwipScale::TwipScale() : dpi_x_(screen_dpi(LOGPIXELSX)), dpi_y_(screen_dpi(LOGPIXELSY)) {}

int TwipScale::x(float twips) const {
    return static_cast<int>(std::lround(twips * dpi_x_ / twips_per_inch));
}

int TwipScale::y(float twips) const {
    return static_cast<int>(std::lround(twips * dpi_y_ / twips_per_inch));
}

float TwipScale::twips_x(int pixels) const {
    return pixels * twips_per_inch / dpi_x_;
}

float TwipScale::twips_y(int pixels) const {
    return pixels * twips_per_inch / dpi_y_;
}

RECT TwipScale::pixels(const TwipRect& box) const {
    return {x(box.left), y(box.top), x(box.left + box.width), y(box.top + box.height)};
}

float screen_width_twips(const TwipScale& scale) {
    return scale.twips_x(GetSystemMetrics(SM_CXSCREEN));
}

float screen_height_twips(const TwipScale& scale) {
    return scale.twips_y(GetSystemMetrics(SM_CYSCREEN));
}

Font create_cyrillic_font(const wchar_t* face, float points, bool bold, bool italic, int dpi) {
    if (dpi <= 0) dpi = screen_dpi(LOGPIXELSY);
    return create_cyrillic_font_of_height(
        face, static_cast<int>(std::lround(points * dpi / 72.0f)), bold, italic);
}

Font create_cyrillic_font_of_height(const wchar_t* face, int pixels, bool bold, bool italic) {
    // A negative height asks for the character height, as point sizes mean.
    const int height = -pixels;
    return Font(CreateFontW(height, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, italic, FALSE, FALSE,
                            RUSSIAN_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                            DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, face));
}

}  // namespace vh
