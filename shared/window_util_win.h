// Win32 helpers that the installer's and the uninstaller's windows share:
// child controls placed in twips, a plain panel, and the shadowed title made
// of two transparent labels over the painted gradient.
#pragma once

#include <windows.h>

#include <string>

#include "platform/win32/win_handle.h"
#include "shared/screen_units_win.h"

namespace vh {

// A child control placed in twips within its parent; WS_CHILD is added.
HWND create_control(HWND parent, const wchar_t* window_class, const std::string& text, DWORD style,
                    const TwipRect& box, int id, const TwipScale& scale, HFONT font = nullptr,
                    DWORD ex_style = 0);
void move_control(HWND control, float left_twips, float top_twips, const TwipScale& scale);
void set_control_width(HWND control, float width_twips, const TwipScale& scale);
void set_font(HWND control, HFONT font);

// A borderless panel in the button-face colour. Its controls' notifications
// (WM_COMMAND, WM_NOTIFY) go on to the panel's parent, and dialog-style
// keyboard navigation reaches into it.
HWND create_panel(HWND parent, const TwipRect& box, int id, const TwipScale& scale);

// The large title: the same text twice, a shadow copy offset to the right
// and the face copy on top, over the painted gradient. Both are real STATIC
// labels (their texts can be read like any control's), but they draw
// nothing themselves: overlapping transparent siblings paint in no fixed
// order, so the parent draws both texts, shadow first, from its paint
// handler with paint_shadowed_title after the background.
struct ShadowedTitle {
    HWND shadow = nullptr;
    HWND face = nullptr;
    COLORREF shadow_color = 0;
    COLORREF face_color = 0;
};
ShadowedTitle create_shadowed_title(HWND parent, const std::string& text, const TwipRect& face,
                                    const TwipRect& shadow, COLORREF face_color,
                                    COLORREF shadow_color, HFONT font, int face_id,
                                    int shadow_id, const TwipScale& scale);
void paint_shadowed_title(HDC dc, HWND parent, const ShadowedTitle& title);

// Leaves a child's area out of the parent's painting (a panel that paints
// itself), so that it does not flicker.
void exclude_child(HDC dc, HWND parent, HWND child);

}  // namespace vh
