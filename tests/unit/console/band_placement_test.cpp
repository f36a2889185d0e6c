// Where the band goes on desktops of one or several monitors, and how it is
// laid out again when the displays change.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "console/band_placement.h"
#include "platform/fake/fake_monitors.h"

namespace vh {
namespace {

// The band's window as Windows treats a per-monitor aware one: moved onto a
// monitor of another density, it is told its new density from inside the move.
struct FakeBand : BandWindow {
    explicit FakeBand(FakeMonitors& monitors) : monitors(monitors) {}
    bool shown() override { return visible; }
    void move_band(const ScreenRect& outer) override {
        rect = outer;
        const Monitor now_on = monitor_of_rect(monitors.monitors, outer);
        const auto given = windows_dpi.find(now_on.name);
        const int new_dpi = given != windows_dpi.end() ? given->second : now_on.dpi;
        if (new_dpi == dpi) return;
        dpi = new_dpi;
        ++dpi_messages;
        placer->on_dpi_changed(new_dpi, outer);
    }
    void apply_layout(const ConsoleLayout& layout) override { layouts.push_back(layout); }

    FakeMonitors& monitors;
    BandPlacer* placer = nullptr;
    bool visible = false;
    ScreenRect rect;
    int dpi = 96;  // the density Windows has given the window
    int dpi_messages = 0;
    std::vector<ConsoleLayout> layouts;
    // Where Windows gives a monitor's windows another density than the
    // monitor list reports (a list read just before a change).
    std::map<std::string, int> windows_dpi;
};

const std::string one = "\\\\.\\DISPLAY1", two = "\\\\.\\DISPLAY2";

struct Desk {
    explicit Desk(std::vector<Monitor> list) {
        monitors.monitors = std::move(list);
        band.placer = &placer;
    }
    void show() {
        placer.before_showing();
        band.visible = true;
    }
    void unplug(const std::string& name) {
        auto& list = monitors.monitors;
        list.erase(std::remove_if(list.begin(), list.end(),
                                  [&](const Monitor& m) { return m.name == name; }),
                   list.end());
        placer.on_display_change();
    }
    FakeMonitors monitors;
    FakeBand band{monitors};
    BandPlacer placer{monitors, band};
};

// The last layout is the one shown: made for the window's density, every
// history line inside the band, the newest wholly above the input line.
void expect_whole_band(const FakeBand& band) {
    ASSERT_FALSE(band.layouts.empty());
    const ConsoleLayout& l = band.layouts.back();
    EXPECT_EQ(l.dpi, band.dpi);
    EXPECT_EQ(l.window_width, band.rect.width);
    EXPECT_EQ(l.window_height, band.rect.height);
    const int client_height = l.window_height - 2;
    EXPECT_LT(l.input.top, client_height);
    EXPECT_LE(l.labels[0].bottom(), l.input.top);
    for (int i = 0; i < history_lines; ++i) {
        EXPECT_GE(l.labels[i].top, i + 1 < history_lines ? l.labels[i + 1].bottom() : 0) << i;
        EXPECT_LE(l.labels[i].bottom(), client_height) << i;
    }
}

struct Arrangement {
    const char* name;
    std::vector<Monitor> monitors;
    bool shown;                       // shown by F12 or the menu after start-up
    std::optional<ScreenRect> front;  // the window in front, if any
    int mouse_x, mouse_y;
    const char* unplugged;            // a monitor removed while the band is on it
    ScreenRect band;                  // the band's outer rectangle
    int label_font, input_font;       // character heights, pixels
    // What Windows tells of the window in front.
    const char* front_class = "Notepad";
    const char* front_program = "notepad.exe";
    bool front_cloaked = false;
};

TEST(BandPlacement, TheBandSpansTheTopOfTheMonitorTheUserWorksOn) {
    const Monitor at_100{one, {0, 0, 1920, 1080}, 96, true};
    const Monitor right_150{two, {1920, 0, 2560, 1440}, 144, false};
    const Monitor left_of_primary{two, {-2560, -360, 2560, 1440}, 96, false};
    const Monitor above_125{two, {-320, -1440, 2560, 1440}, 120, false};
    const Monitor laptop_125{one, {0, 0, 1920, 1080}, 120, true};
    const Monitor external_100{two, {1920, -360, 2560, 1440}, 96, false};
    const ScreenRect on_right{2200, 200, 800, 600}, across{1800, 100, 400, 300};
    const Arrangement rows[] = {
        {"one monitor", {at_100}, true, ScreenRect{100, 100, 800, 600}, 0, 0, nullptr,
         {0, 0, 1920, 270}, 16, 19},
        {"side by side, window on the 150 % one", {at_100, right_150}, true, on_right, 10, 10,
         nullptr, {1920, 0, 2560, 360}, 24, 29},
        {"side by side, a window across both: the larger part", {at_100, right_150}, true,
         across, 10, 10, nullptr, {1920, 0, 2560, 360}, 24, 29},
        {"side by side, the desktop in front: the mouse's", {at_100, right_150}, true,
         std::nullopt, 500, 1070, nullptr, {0, 0, 1920, 270}, 16, 19},
        {"side by side, at start-up: the primary", {right_150, at_100}, false, on_right, 3000,
         10, nullptr, {0, 0, 1920, 270}, 16, 19},
        {"primary on the right", {at_100, left_of_primary}, true, ScreenRect{-2000, 0, 800, 600},
         10, 10, nullptr, {-2560, -360, 2560, 360}, 16, 19},
        {"stacked, mouse on the upper one", {at_100, above_125}, true, std::nullopt, 100, -700,
         nullptr, {-320, -1440, 2560, 360}, 20, 24},
        {"laptop 125 %, external 100 %: window on the external", {laptop_125, external_100},
         true, ScreenRect{2500, 0, 1000, 700}, 0, 0, nullptr, {1920, -360, 2560, 360}, 16, 19},
        {"laptop and external at start-up", {laptop_125, external_100}, false, std::nullopt,
         3000, 0, nullptr, {0, 0, 1920, 270}, 20, 24},
        {"undocked: the external removed under the band", {laptop_125, external_100}, true,
         ScreenRect{2500, 0, 1000, 700}, 0, 0, "\\\\.\\DISPLAY2", {0, 0, 1920, 270}, 20, 24},
        // Windows the user does not work in: the band follows the mouse.
        {"a cloaked window (another virtual desktop): the mouse's", {at_100, right_150}, true,
         on_right, 500, 500, nullptr, {0, 0, 1920, 270}, 16, 19, "Notepad", "notepad.exe", true},
        {"Start of Windows 10 and 11", {at_100, right_150}, true, on_right, 500, 500, nullptr,
         {0, 0, 1920, 270}, 16, 19, "Windows.UI.Core.CoreWindow", "StartMenuExperienceHost.exe"},
        {"Search of Windows 11, in another case", {at_100, right_150}, true, on_right, 500, 500,
         nullptr, {0, 0, 1920, 270}, 16, 19, "Windows.UI.Core.CoreWindow", "searchhost.EXE"},
        {"Search of Windows 10", {at_100, right_150}, true, on_right, 500, 500, nullptr,
         {0, 0, 1920, 270}, 16, 19, "Windows.UI.Core.CoreWindow", "SearchApp.exe"},
        {"the action centre", {at_100, right_150}, true, on_right, 500, 500, nullptr,
         {0, 0, 1920, 270}, 16, 19, "Windows.UI.Core.CoreWindow", "ShellExperienceHost.exe"},
        {"an app's core window is a place of work", {at_100, right_150}, true, on_right, 500, 500,
         nullptr, {1920, 0, 2560, 360}, 24, 29, "Windows.UI.Core.CoreWindow", "WWAHost.exe"},
        {"Alt+Tab and Task View of Windows 10", {at_100, right_150}, true, on_right, 500, 500,
         nullptr, {0, 0, 1920, 270}, 16, 19, "MultitaskingViewFrame", "explorer.exe"},
        {"Alt+Tab of Windows 11", {at_100, right_150}, true, on_right, 500, 500, nullptr,
         {0, 0, 1920, 270}, 16, 19, "XamlExplorerHostIslandWindow", "explorer.exe"},
        {"between two switches", {at_100, right_150}, true, on_right, 500, 500, nullptr,
         {0, 0, 1920, 270}, 16, 19, "ForegroundStaging", "explorer.exe"},
        {"the taskbar of the other monitor", {at_100, right_150}, true, on_right, 500, 500,
         nullptr, {0, 0, 1920, 270}, 16, 19, "Shell_SecondaryTrayWnd", "explorer.exe"},
        {"a window whose class only begins like the taskbar's", {at_100, right_150}, true,
         on_right, 500, 500, nullptr, {1920, 0, 2560, 360}, 24, 29, "Shell_TrayWndX", "x.exe"},
        {"a program Windows does not name", {at_100, right_150}, true, on_right, 500, 500,
         nullptr, {1920, 0, 2560, 360}, 24, 29, "Windows.UI.Core.CoreWindow", ""},
    };
    for (const Arrangement& row : rows) {
        SCOPED_TRACE(row.name);
        Desk desk(row.monitors);
        desk.monitors.foreground_window = row.front;
        desk.monitors.front_class = row.front_class;
        desk.monitors.front_program = row.front_program;
        desk.monitors.front_cloaked = row.front_cloaked;
        desk.monitors.mouse_x = row.mouse_x;
        desk.monitors.mouse_y = row.mouse_y;
        desk.placer.start();
        if (row.shown) desk.show();
        if (row.unplugged) desk.unplug(row.unplugged);
        EXPECT_EQ(desk.band.rect, row.band);
        expect_whole_band(desk.band);
        EXPECT_EQ(desk.band.layouts.back().label_font_height, row.label_font);
        EXPECT_EQ(desk.band.layouts.back().input_font_height, row.input_font);
    }
}

TEST(BandPlacement, AShownBandStaysWhereItIsUntilItIsHidden) {
    Desk desk({{one, {0, 0, 1920, 1080}, 96, true}, {two, {1920, 0, 2560, 1440}, 144, false}});
    desk.placer.start();
    desk.monitors.foreground_window = ScreenRect{2000, 100, 500, 500};
    desk.show();
    ASSERT_EQ(desk.band.rect.left, 1920);
    // F12 over a window on the other monitor: the shown band comes to the front where it is.
    desk.monitors.foreground_window = ScreenRect{100, 100, 500, 500};
    const std::size_t layouts = desk.band.layouts.size();
    desk.show();
    EXPECT_EQ(desk.band.rect.left, 1920);
    EXPECT_EQ(desk.band.layouts.size(), layouts);
    desk.band.visible = false;
    desk.show();
    EXPECT_EQ(desk.band.rect, (ScreenRect{0, 0, 1920, 270}));
    // Hidden and shown again on the monitor it is laid out for: nothing to redo.
    desk.band.visible = false;
    desk.show();
    EXPECT_EQ(desk.band.layouts.size(), layouts + 1);
}

// Each display change lays the band out once, for the density the window
// ends up with, however Windows interleaves its own density message.
struct Change {
    const char* name;
    void (*act)(Desk&);
    ScreenRect band;
    int dpi, dpi_messages;  // the layout's density; messages Windows sent meanwhile
};

TEST(DisplayChange, OneLayoutAtTheNewDensityEvenWithTheNestedMessage) {
    const Change changes[] = {
        {"undocked: to the laptop, told 120 from inside the move",
         [](Desk& d) { d.unplug(two); }, {0, 0, 1920, 270}, 120, 1},
        {"a new resolution of the band's monitor, which is not the primary",
         [](Desk& d) {
             d.monitors.monitors[1].area = {1920, -360, 1920, 1080};
             d.placer.on_display_change();
         },
         {1920, -360, 1920, 270}, 96, 0},
        {"the external becomes the primary: the band stays on it",
         [](Desk& d) {
             d.monitors.monitors[0] = {one, {-1920, 360, 1920, 1080}, 120, false};
             d.monitors.monitors[1] = {two, {0, 0, 2560, 1440}, 96, true};
             d.placer.on_display_change();
         },
         {0, 0, 2560, 360}, 96, 0},
        {"the band's monitor set to 150 %: the message's density",
         [](Desk& d) {
             d.band.windows_dpi[two] = d.band.dpi = 144;
             d.placer.on_dpi_changed(144, {1920, -360, 3840, 540});
         },
         {1920, -360, 2560, 360}, 144, 0},
        {"Windows gives the laptop's windows 144 while the list says 120",
         [](Desk& d) {
             d.band.windows_dpi[one] = 144;
             d.unplug(two);
         },
         {0, 0, 1920, 278}, 144, 1},
    };
    for (const Change& c : changes) {
        SCOPED_TRACE(c.name);
        Desk desk({{one, {0, 0, 1920, 1080}, 120, true},
                   {two, {1920, -360, 2560, 1440}, 96, false}});
        desk.placer.start();
        desk.monitors.foreground_window = ScreenRect{2500, 0, 1000, 700};
        desk.show();
        ASSERT_EQ(desk.band.dpi, 96);
        desk.band.layouts.clear();
        desk.band.dpi_messages = 0;
        c.act(desk);
        ASSERT_EQ(desk.band.layouts.size(), 1u);
        EXPECT_EQ(desk.band.layouts[0].dpi, c.dpi);
        EXPECT_EQ(desk.band.dpi_messages, c.dpi_messages);
        EXPECT_EQ(desk.band.rect, c.band);
        expect_whole_band(desk.band);
    }
}

}  // namespace
}  // namespace vh
