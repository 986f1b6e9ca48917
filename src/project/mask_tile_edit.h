#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "project/frame_id.h"

namespace morvel {

// The grey of one square of the mask image, as the edit history keeps it: a square of one grey
// (most of a mask is white) takes no pixel memory.
struct MaskTilePixels {
    bool uniform = true;
    std::uint8_t grey = 0;
    std::vector<std::uint8_t> pixels;  // rows of width bytes when not uniform

    std::size_t bytes() const { return sizeof(MaskTilePixels) + pixels.size(); }
};

// One square of the mask image that an edit changed: its place and its pixels before and after.
struct MaskTileChange {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
    MaskTilePixels before;  // unused when the edit gave the frame its mask
    MaskTilePixels after;
};

// The squares one edit changed in one frame's mask (a brush stroke, a selection fill, a mask
// move, including the making of the frame's mask).
struct MaskTileEdit {
    FrameId frameId = 0;          // the frame whose mask the edit changed
    std::int32_t maskBefore = 0;  // the frame's mask number before the edit
    std::int32_t maskAfter = 0;   // and after it; they differ when the edit made a new mask
    std::int32_t maskWidth = 0;   // the mask image's size during the edit
    std::int32_t maskHeight = 0;
    std::vector<MaskTileChange> tiles;

    bool madeMask() const { return maskBefore != maskAfter; }
};

}  // namespace morvel
