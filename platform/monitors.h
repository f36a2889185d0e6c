// The monitors of the desktop, and which of them the user works on: the
// part of Windows that decides where the console band goes.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace vh {

// A rectangle of the virtual screen in physical pixels. The primary
// monitor's top-left corner is (0, 0); a monitor left of or above it has
// negative coordinates.
struct ScreenRect {
    int left = 0, top = 0, width = 0, height = 0;
    int right() const { return left + width; }
    int bottom() const { return top + height; }
    bool operator==(const ScreenRect&) const = default;
};

struct Monitor {
    // The display device's name ("\\.\DISPLAY2"): it stays the same through
    // changes of resolution, scaling and arrangement, so that a band can
    // tell whether its monitor is still there.
    std::string name;
    ScreenRect area;  // the whole monitor, taskbar included
    int dpi = 96;     // its effective pixels per inch: 96 at 100 %, 144 at 150 %
    bool primary = false;
    bool operator==(const Monitor&) const = default;
};

// What Windows tells of the foreground window.
struct FrontWindow {
    std::string window_class;  // as GetClassName gives it
    std::string program;       // its process's program file name, if known
    bool cloaked = false;      // kept off the screen by the desktop window manager
    Monitor monitor;           // the monitor with the largest part of it
};

// Whether the user works in the foreground window, where the band then
// goes. The shell's own surfaces are no place of work: the desktop and
// the taskbars, Start, Search and Task View, the Alt+Tab switcher; nor is
// a window the user cannot see (cloaked: on another virtual desktop, or a
// suspended app's).
bool is_place_of_work(const FrontWindow& front);

class Monitors {
public:
    virtual ~Monitors() = default;
    // Every monitor of the desktop as it is now.
    virtual std::vector<Monitor> list() = 0;
    // The foreground window; none when there is none, or it is the
    // system's desktop window, the shell's, or the band itself.
    virtual std::optional<FrontWindow> front_window() = 0;
    // The monitor under the mouse, or the nearest to it.
    virtual Monitor under_mouse() = 0;
};

// Windows' rules for MONITOR_DEFAULTTONEAREST, on a list of monitors: the
// monitor with the largest part of a rectangle, or, where it touches none,
// the nearest; the monitor holding a point, or the nearest. An empty list
// gives a default Monitor.
Monitor monitor_of_rect(const std::vector<Monitor>& monitors, const ScreenRect& rect);
Monitor monitor_of_point(const std::vector<Monitor>& monitors, int x, int y);
// The primary monitor (the first one where none is marked primary).
Monitor primary_monitor(const std::vector<Monitor>& monitors);
// The monitor of that device name, if it is still there.
std::optional<Monitor> monitor_named(const std::vector<Monitor>& monitors,
                                     const std::string& name);

}  // namespace vh
