// A desktop's monitors in memory, answering as Windows does: the window in
// front and the mouse belong to the monitor holding most of the window, or
// holding the point, or else the nearest one.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/monitors.h"

namespace vh {

class FakeMonitors : public Monitors {
public:
    std::vector<Monitor> list() override { return monitors; }
    std::optional<FrontWindow> front_window() override {
        if (!foreground_window) return std::nullopt;
        return FrontWindow{front_class, front_program, front_cloaked,
                           monitor_of_rect(monitors, *foreground_window)};
    }
    Monitor under_mouse() override { return monitor_of_point(monitors, mouse_x, mouse_y); }

    std::vector<Monitor> monitors;
    // The window in front, none for the system's desktop or the band, and
    // what Windows tells of it.
    std::optional<ScreenRect> foreground_window;
    std::string front_class, front_program;
    bool front_cloaked = false;
    int mouse_x = 0, mouse_y = 0;
};

}  // namespace vh
