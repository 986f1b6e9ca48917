#include "camera/live_scaler.h"

#include <algorithm>
#include <cstdint>

namespace morvel {

FitSize FitInside(int width, int height, int fitWidth, int fitHeight) {
    if (fitWidth <= 0 || fitHeight <= 0 || (width <= fitWidth && height <= fitHeight))
        return {width, height};
    // Compare width / height with fitWidth / fitHeight without rounding.
    if (std::int64_t{width} * fitHeight >= std::int64_t{height} * fitWidth) {
        const auto h = static_cast<int>(std::int64_t{height} * fitWidth / width);
        return {fitWidth, std::max(1, h)};
    }
    const auto w = static_cast<int>(std::int64_t{width} * fitHeight / height);
    return {std::max(1, w), fitHeight};
}

}  // namespace morvel
