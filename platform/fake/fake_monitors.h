// A desktop's monitors in memory, answering as Windows does: the window in
// front and the mouse belong to the monitor holding most of the window, or
// holding the point, or else the nearest one.
#pragma once

#include <optional>
#include <vector>

#include "platform/monitors.h"

namespace vh {

class FakeMonitors : public Monitors {
public:
    std::vector<Monitor> list() override { return monitors; }
    std::optional<Monitor> foreground() override {
        if (!foreground_window) return std::nullopt;
        return monitor_of_rect(monitors, *foreground_window);
    }
    Monitor under_mouse() override { return monitor_of_point(monitors, mouse_x, mouse_y); }

    std::vector<Monitor> monitors;
    // The window in front, none for the desktop, the taskbar or the band.
    std::optional<ScreenRect> foreground_window;
    int mouse_x = 0, mouse_y = 0;
};

}  // namespace vh
