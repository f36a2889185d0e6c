#include "console/skin_win.h"

#include <ole2.h>
#include <olectl.h>

#include <algorithm>
#include <optional>
#include <vector>

#include "platform/win32/wide.h"

namespace vh {

namespace {

// Picture sizes come in HIMETRIC (0.01 mm).
LONG himetric_to_pixels(LONG himetric, int dpi) {
    return MulDiv(himetric, dpi, 2540);
}

}  // namespace

LoadResult Skin::load(const std::string& path, SIZE visible) {
    const std::optional<std::wstring> wide = to_wide_exact(path);
    if (!wide) return LoadResult::failed;
    const DWORD attributes = GetFileAttributesW(wide->c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD code = GetLastError();
        return code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND
                   ? LoadResult::file_not_found
                   : LoadResult::failed;
    }
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return LoadResult::failed;

    ComPtr<IPicture> picture;
    if (FAILED(OleLoadPicturePath(const_cast<LPOLESTR>(wide->c_str()), nullptr, 0, 0,
                                  IID_IPicture, picture.out_void())) ||
        !picture)
        return LoadResult::failed;

    OLE_XSIZE_HIMETRIC width = 0;
    OLE_YSIZE_HIMETRIC height = 0;
    picture->get_Width(&width);
    picture->get_Height(&height);
    HDC screen = GetDC(nullptr);
    const SIZE full{himetric_to_pixels(width, GetDeviceCaps(screen, LOGPIXELSX)),
                    himetric_to_pixels(height, GetDeviceCaps(screen, LOGPIXELSY))};
    const SIZE kept{std::min(full.cx, visible.cx), std::min(full.cy, visible.cy)};
    Bitmap bitmap(kept.cx > 0 && kept.cy > 0 ? CreateCompatibleBitmap(screen, kept.cx, kept.cy)
                                             : nullptr);
    HDC memory = CreateCompatibleDC(screen);
    ReleaseDC(nullptr, screen);
    LoadResult result = LoadResult::failed;
    if (bitmap && memory) {
        HGDIOBJ old = SelectObject(memory, bitmap.get());
        // IPicture draws bottom-up in HIMETRIC: the source starts at the top
        // edge and covers the kept part of the picture at its own scale.
        const OLE_XSIZE_HIMETRIC kept_width = MulDiv(width, kept.cx, full.cx);
        const OLE_YSIZE_HIMETRIC kept_height = MulDiv(height, kept.cy, full.cy);
        if (SUCCEEDED(picture->Render(memory, 0, 0, kept.cx, kept.cy, 0, height, kept_width,
                                      -kept_height, nullptr)))
            result = LoadResult::ok;
        SelectObject(memory, old);
    }
    if (memory) DeleteDC(memory);
    if (result == LoadResult::ok) {
        bitmap_ = std::move(bitmap);
        size_ = kept;
    }
    return result;
}

void Skin::paint(HDC dc, const RECT& area, POINT origin) const {
    FillRect(dc, &area, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    if (!bitmap_) return;
    HDC memory = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(memory, bitmap_.get());
    // origin: where this area's top-left corner lies in the window's client.
    const int left = area.left, top = area.top;
    const int width = size_.cx - (origin.x + left), height = size_.cy - (origin.y + top);
    if (width > 0 && height > 0)
        BitBlt(dc, left, top, std::min<int>(width, area.right - left),
               std::min<int>(height, area.bottom - top), memory, origin.x + left,
               origin.y + top, SRCCOPY);
    SelectObject(memory, old);
    DeleteDC(memory);
}

}  // namespace vh
