// Skin pictures: a JPEG file decoded by Windows' OLE picture loader into a
// bitmap that the window draws at its own size from the top-left corner.
#pragma once

#include <windows.h>

#include <string>

#include "console/console_view.h"
#include "platform/win32/win_handle.h"

namespace vh {

class Skin {
public:
    // Replaces the picture with the file's; on failure the old one stays.
    // Only the part that fits visible (from the top-left corner) is kept:
    // a wide skin for large screens would otherwise hold megabytes unseen.
    LoadResult load(const std::string& path, SIZE visible);
    // Black, with the picture over it from the top-left corner.
    void paint(HDC dc, const RECT& area, POINT origin = {0, 0}) const;

private:
    Bitmap bitmap_;
    SIZE size_{0, 0};
};

}  // namespace vh
