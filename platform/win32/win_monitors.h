// The desktop's monitors as Windows reports them to a per-monitor DPI-aware
// program: physical pixels, each monitor's own density.
#pragma once

#include <windows.h>

#include "platform/monitors.h"

namespace vh {

class WinMonitors : public Monitors {
public:
    // band: the console's own window, which never counts as the one in front.
    explicit WinMonitors(HWND band = nullptr) : band_(band) {}
    void set_band(HWND band) { band_ = band; }

    std::vector<Monitor> list() override;
    std::optional<FrontWindow> front_window() override;
    Monitor under_mouse() override;

private:
    HWND band_;
};

// A monitor's effective density where Windows tells each monitor's apart
// (Windows 8.1 and later), else the system's.
int monitor_dpi(HMONITOR monitor);
// The monitor's facts; the primary screen's where Windows has none.
Monitor describe_monitor(HMONITOR monitor);

}  // namespace vh
