// Paints the blue gradient background of the installer and uninstaller
// windows; both windows call it from their paint handler.
#pragma once

#include <windows.h>

namespace vh {

// Fills a client area of the given pixel size; a height of 0 paints nothing.
void paint_gradient(HDC dc, int client_width, int client_height);

}  // namespace vh
