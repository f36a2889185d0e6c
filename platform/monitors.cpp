#include "platform/monitors.h"

#include <algorithm>
#include <cstdint>
#include <initializer_list>

namespace vh {

namespace {

long long overlap(const ScreenRect& a, const ScreenRect& b) {
    const long long w = std::min(a.right(), b.right()) - std::max(a.left, b.left);
    const long long h = std::min(a.bottom(), b.bottom()) - std::max(a.top, b.top);
    return w > 0 && h > 0 ? w * h : 0;
}

// Squared distance from a point to the nearest pixel of a rectangle.
long long distance(const ScreenRect& r, int x, int y) {
    const long long dx = x < r.left ? r.left - x : (x >= r.right() ? x - r.right() + 1 : 0);
    const long long dy = y < r.top ? r.top - y : (y >= r.bottom() ? y - r.bottom() + 1 : 0);
    return dx * dx + dy * dy;
}

bool same_name(const std::string& a, const char* b) {
    std::size_t i = 0;
    for (; i < a.size() && b[i]; ++i) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return i == a.size() && !b[i];
}

bool named_one_of(const std::string& name, std::initializer_list<const char*> names) {
    for (const char* n : names)
        if (same_name(name, n)) return true;
    return false;
}

long long distance(const ScreenRect& a, const ScreenRect& b) {
    const long long dx = std::max({0, a.left - b.right(), b.left - a.right()});
    const long long dy = std::max({0, a.top - b.bottom(), b.top - a.bottom()});
    return dx * dx + dy * dy;
}

}  // namespace

bool is_place_of_work(const FrontWindow& front) {
    if (front.cloaked) return false;
    // The shell's windows by their classes, which the shell has kept from
    // one Windows to the next: the desktop (Progman, WorkerW behind it) and
    // the taskbars; Windows 7's Start menu (DV2ControlHost) and Alt+Tab
    // (TaskSwitcherWnd, Flip3D for Windows+Tab); Windows 8's Start screen
    // (ImmersiveLauncher); the switcher and Task View of Windows 10
    // (MultitaskingViewFrame) and 11 (XamlExplorerHostIslandWindow), and
    // the window Explorer brings forward between two switches
    // (ForegroundStaging).
    if (named_one_of(front.window_class,
                     {"Progman", "WorkerW", "Shell_TrayWnd", "Shell_SecondaryTrayWnd",
                      "DV2ControlHost", "TaskSwitcherWnd", "Flip3D", "ImmersiveLauncher",
                      "MultitaskingViewFrame", "XamlExplorerHostIslandWindow",
                      "ForegroundStaging"}))
        return false;
    // Start, Search and the action centre of Windows 10 and 11 are core
    // windows of the shell's own hosts; the same class in any other
    // program is an app the user works in.
    if (same_name(front.window_class, "Windows.UI.Core.CoreWindow"))
        return !named_one_of(front.program,
                             {"StartMenuExperienceHost.exe", "ShellExperienceHost.exe",
                              "SearchHost.exe", "SearchApp.exe", "SearchUI.exe"});
    return true;
}

Monitor monitor_of_rect(const std::vector<Monitor>& monitors, const ScreenRect& rect) {
    const Monitor* best = nullptr;
    long long best_overlap = 0;
    for (const Monitor& m : monitors) {
        const long long o = overlap(m.area, rect);
        if (o > best_overlap) best = &m, best_overlap = o;
    }
    if (best) return *best;
    long long best_distance = INT64_MAX;
    for (const Monitor& m : monitors) {
        const long long d = distance(m.area, rect);
        if (d < best_distance) best = &m, best_distance = d;
    }
    return best ? *best : Monitor{};
}

Monitor monitor_of_point(const std::vector<Monitor>& monitors, int x, int y) {
    const Monitor* best = nullptr;
    long long best_distance = INT64_MAX;
    for (const Monitor& m : monitors) {
        const long long d = distance(m.area, x, y);
        if (d < best_distance) best = &m, best_distance = d;
    }
    return best ? *best : Monitor{};
}

Monitor primary_monitor(const std::vector<Monitor>& monitors) {
    for (const Monitor& m : monitors)
        if (m.primary) return m;
    return monitors.empty() ? Monitor{} : monitors.front();
}

std::optional<Monitor> monitor_named(const std::vector<Monitor>& monitors,
                                     const std::string& name) {
    for (const Monitor& m : monitors)
        if (m.name == name) return m;
    return std::nullopt;
}

}  // namespace vh
