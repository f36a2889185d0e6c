#include "shared/gradient_paint_win.h"

#include "shared/gradient.h"

namespace vh {

void paint_gradient(HDC dc, int client_width, int client_height) {
    // The DC brush takes a new colour without creating a GDI object per band.
    HGDIOBJ previous = SelectObject(dc, GetStockObject(DC_BRUSH));
    for (const GradientBand& band : gradient_bands(client_height)) {
        SetDCBrushColor(dc, RGB(0, 0, band.blue));
        const RECT rect{-1, band.top, client_width, band.bottom};
        FillRect(dc, &rect, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
    }
    SelectObject(dc, previous);
}

}  // namespace vh
