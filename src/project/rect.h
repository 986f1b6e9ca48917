#pragma once

#include <cstdint>

namespace morvel {

// A rectangle of pixels: columns [left, right), rows [top, bottom).
struct Rect {
    std::int32_t left = 0;
    std::int32_t right = 0;
    std::int32_t top = 0;
    std::int32_t bottom = 0;
};

inline bool IsEmptyRect(const Rect& r) {
    return r.left >= r.right || r.top >= r.bottom;
}

}  // namespace morvel
