#pragma once

#include <cstddef>

#include "platform/image.h"

namespace morvel {

// The largest power of two (up to 8) that a picture shown at zoom may be read reduced by: the
// zoom still shows every pixel of the reduced picture.
inline int ReadFactorFor(float zoom) {
    int factor = 1;
    while (factor < 8 && zoom * static_cast<float>(factor * 2) <= 1.0f) factor *= 2;
    return factor;
}

// What composing one frame of width x height read reduced by factor holds at once: two layers,
// the mask and the composite.
inline std::size_t FrameWorkingBytes(int width, int height, int factor) {
    return std::size_t{4} * Image::strideFor((width + factor - 1) / factor) *
           static_cast<std::size_t>((height + factor - 1) / factor);
}

// What one frame composed canvas-sized (for playback, stand-ins, the onion skin) may hold.
constexpr std::size_t kFilmFrameBudget = std::size_t{160} << 20;

// The factor a frame of width x height is read reduced by for a canvas at zoom: as the zoom
// allows, and further while its pictures would take more than kFilmFrameBudget (24 megapixels
// are read at half size even at 1:1).
inline int FilmReadFactor(int width, int height, float zoom) {
    int factor = ReadFactorFor(zoom);
    while (factor < 8 && FrameWorkingBytes(width, height, factor) > kFilmFrameBudget) factor *= 2;
    return factor;
}

}  // namespace morvel
