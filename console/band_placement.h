// Which monitor the console band spans, and laying it out there once per
// change: at start-up, before it is shown, and when the displays or the
// band's scaling change.
//
// The band spans the top of one monitor at that monitor's density, from
// its top-left corner (negative left of or above the primary): at start-up
// the primary; when it is shown, the monitor of the window in front, or the
// one under the mouse where no window the user works in is in front (the
// desktop, Start, the switcher, a window on another virtual desktop). A band already shown
// stays where it is. When the displays change, the band stays on its
// monitor, laid out for the monitor's new size and density; when that
// monitor has gone, it moves to the primary.
#pragma once

#include <optional>

#include "console/layout.h"
#include "platform/monitors.h"

namespace vh {

// What the placer asks of the band's window.
class BandWindow {
public:
    virtual ~BandWindow() = default;
    virtual bool shown() = 0;
    // Moves and sizes the window (outer rectangle). When that takes it to a
    // monitor of another density, Windows tells the window its new one from
    // inside this call (BandPlacer::on_dpi_changed).
    virtual void move_band(const ScreenRect& outer) = 0;
    // Places the controls and makes the fonts and the skin for a layout.
    virtual void apply_layout(const ConsoleLayout& layout) = 0;
};

// The band's outer rectangle on a monitor: its top-left corner, its width.
ScreenRect band_rect(const Monitor& monitor, const ConsoleLayout& layout);

class BandPlacer {
public:
    BandPlacer(Monitors& monitors, BandWindow& window) : monitors_(monitors), window_(window) {}

    // At start-up: the primary monitor.
    void start();
    // Just before the band is shown: a hidden band goes to the monitor the
    // user works on; a shown one stays.
    void before_showing();
    // A new resolution, arrangement, set of monitors or work area.
    void on_display_change();
    // Windows gave the band a new density (dpi), suggesting a rectangle on
    // the monitor it is now on.
    void on_dpi_changed(int dpi, const ScreenRect& suggested);

    const Monitor& monitor() const { return monitor_; }

private:
    // One move and one layout, at dpi on the monitor.
    void place(const Monitor& monitor, int dpi);

    Monitors& monitors_;
    BandWindow& window_;
    Monitor monitor_;
    int dpi_ = 0;
    bool placing_ = false;
    // The density Windows gave the band while it was being moved.
    std::optional<int> dpi_while_moving_;
};

}  // namespace vh
