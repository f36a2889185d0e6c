// Where the uninstaller window's controls stand, in twips (1/1440 inch) as
// designed; the window converts them with the screen's real resolution.
#pragma once

namespace vh::uninstall_layout {

struct Box {
    float left, top, width, height;
};

inline constexpr Box client{60, 345, 10455, 6660};  // the window's client area on screen
inline constexpr Box title_face{120, 0, 6855, 735};   // the title, white
inline constexpr Box title_shadow{240, 0, 6855, 735}; // its shadow, under it
inline constexpr Box panel{1800, 1800, 5000, 1200};   // the panel
// On the panel:
inline constexpr Box message{75, 0, 4815, 615};       // the message
inline constexpr Box progress{120, 480, 4750, 375};   // ProgressBar1
inline constexpr Box no_button{120, 720, 2295, 375};  // "Нет"
inline constexpr Box yes_button{2580, 720, 2295, 375}; // "Да"
inline constexpr float exit_button_width = 4800;      // "Нет" become "Выход"

struct Point {
    float left, top;
};

// The panel centred on a screen of the given size in twips, computed in
// single precision; the result is in the window's client coordinates.
Point panel_origin(float screen_width, float screen_height);

}  // namespace vh::uninstall_layout
