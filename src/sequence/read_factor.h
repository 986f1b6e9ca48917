#pragma once

#include <cstddef>

#include "platform/image.h"
#include "project/view_geometry.h"

namespace morvel {

// The largest power of two (up to 8) that a picture shown at zoom may be read reduced by: the
// zoom still shows every pixel of the reduced picture.
inline int ReadFactorFor(float zoom) {
    int factor = 1;
    while (factor < 8 && zoom * static_cast<float>(factor * 2) <= 1.0f) factor *= 2;
    return factor;
}

// What composing one frame of width x height at that zoom holds at once: two layers, the mask
// and the composite, each read reduced by the factor.
inline std::size_t FrameWorkingBytes(int width, int height, float zoom) {
    const int factor = ReadFactorFor(zoom);
    return std::size_t{4} * Image::strideFor((width + factor - 1) / factor) *
           static_cast<std::size_t>((height + factor - 1) / factor);
}

}  // namespace morvel
