#pragma once

#include <cmath>
#include <cstdint>

namespace morvel {

// The filled disc inscribed in the square of 2r x 2r pixels from (x - r, y - r) to
// (x + r - 1, y + r - 1): the pixels whose centres lie within r of the square's centre. Both the
// round brush's dabs and its outline on the canvas use it, so the outline is the dab's edge.
// discRowExtent gives, for row y - r + j (0 <= j < 2r), the first and last pixel of the disc in
// that row, relative to x. r >= 1.
struct DiscRow {
    int first;  // relative to x, inclusive
    int last;   // relative to x, inclusive
};

inline DiscRow DiscRowExtent(int r, int j) {
    // In half-pixel units: the row's centre is dy = 2(j - r) + 1 (odd) from the disc's centre;
    // the row holds the pixels with centre dx (odd) where dx^2 + dy^2 <= 4r^2.
    const std::int64_t dy = 2 * static_cast<std::int64_t>(j - r) + 1;
    const std::int64_t room = 4 * static_cast<std::int64_t>(r) * r - dy * dy;
    std::int64_t k = static_cast<std::int64_t>(std::sqrt(static_cast<double>(room)));
    while (k * k > room) --k;
    while ((k + 1) * (k + 1) <= room) ++k;
    if (k % 2 == 0) --k;  // the largest odd dx that fits; room >= 4r - 1 >= 3, so k >= 1
    const int half = static_cast<int>(k);
    return DiscRow{-(half + 1) / 2, (half - 1) / 2};
}

}  // namespace morvel
