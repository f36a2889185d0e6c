#include "platform/monitors.h"

#include <algorithm>
#include <cstdint>

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

long long distance(const ScreenRect& a, const ScreenRect& b) {
    const long long dx = std::max({0, a.left - b.right(), b.left - a.right()});
    const long long dy = std::max({0, a.top - b.bottom(), b.top - a.bottom()});
    return dx * dx + dy * dy;
}

}  // namespace

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
