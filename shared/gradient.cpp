#include "shared/gradient.h"

#include <algorithm>

namespace vh {

int gradient_blue(int band, int height) {
    // The start value 330 is above the channel's limit on purpose: the
    // clamp keeps the upper part of the window a solid blue.
    const long long fade = 255LL * band / height;
    return static_cast<int>(std::min<long long>(330 - fade, 255));
}

std::vector<GradientBand> gradient_bands(int height) {
    std::vector<GradientBand> bands;
    if (height <= 0) return bands;  // nothing to paint, and no division by 0
    bands.reserve(static_cast<size_t>(height) + 1);
    for (int i = 0; i <= height; ++i) bands.push_back({i - 1, i + 1, gradient_blue(i, height)});
    return bands;
}

}  // namespace vh
