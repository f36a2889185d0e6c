#include "console/band_placement.h"

namespace vh {

ScreenRect band_rect(const Monitor& monitor, const ConsoleLayout& layout) {
    return {monitor.area.left, monitor.area.top, layout.window_width, layout.window_height};
}

void BandPlacer::start() {
    const Monitor primary = primary_monitor(monitors_.list());
    place(primary, primary.dpi);
}

void BandPlacer::before_showing() {
    if (window_.shown()) return;
    const std::optional<FrontWindow> front = monitors_.front_window();
    const Monitor working =
        front && is_place_of_work(*front) ? front->monitor : monitors_.under_mouse();
    if (working == monitor_ && working.dpi == dpi_) return;
    place(working, working.dpi);
}

void BandPlacer::on_display_change() {
    const std::vector<Monitor> monitors = monitors_.list();
    if (monitors.empty()) return;
    const Monitor target =
        monitor_named(monitors, monitor_.name).value_or(primary_monitor(monitors));
    place(target, target.dpi);
}

void BandPlacer::on_dpi_changed(int dpi, const ScreenRect& suggested) {
    // Sent from inside the placer's own move: that placement lays the band
    // out once the move is done, at the density given here.
    if (placing_) {
        dpi_while_moving_ = dpi;
        return;
    }
    // The band's monitor changed its scaling, or Windows moved the band to
    // another monitor: the suggested rectangle says which one, the message
    // the density.
    const std::vector<Monitor> monitors = monitors_.list();
    place(monitors.empty() ? monitor_ : monitor_of_rect(monitors, suggested), dpi);
}

void BandPlacer::place(const Monitor& monitor, int dpi) {
    placing_ = true;
    dpi_while_moving_.reset();
    ConsoleLayout layout = console_layout(monitor.area.width, monitor.area.height, dpi);
    window_.move_band(band_rect(monitor, layout));
    // Windows knows best what density the window has now; sized for
    // another, the band is sized again (a move on the same monitor).
    if (dpi_while_moving_ && *dpi_while_moving_ != dpi) {
        dpi = *dpi_while_moving_;
        layout = console_layout(monitor.area.width, monitor.area.height, dpi);
        window_.move_band(band_rect(monitor, layout));
    }
    placing_ = false;
    window_.apply_layout(layout);
    monitor_ = monitor;
    dpi_ = dpi;
}

}  // namespace vh
