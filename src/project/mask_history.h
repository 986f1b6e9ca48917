#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "project/frame_list.h"

namespace morvel {

// Mask pixels of one square of the mask image, as the edit history keeps them: a square of one
// colour (most of a mask is white) takes no pixel memory.
struct MaskTilePixels {
    bool uniform = true;
    std::uint8_t colour[3] = {0, 0, 0};
    std::vector<std::uint8_t> pixels;  // rows of width x 3 bytes when not uniform

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

// A frame as a frame operation's step keeps it (no thumbnails: they are made again).
struct FrameEntry {
    FrameId id = 0;
    std::array<std::string, 2> layerSource;
    std::int32_t maskNumber = 0;

    bool operator==(const FrameEntry&) const = default;
};

// What a frame operation (delete, repeat, a drag, a drop) changed: the frames from position
// first on, before and after it; the frames around them stayed as they were.
struct FrameListChange {
    int first = 0;
    std::vector<FrameEntry> before;
    std::vector<FrameEntry> after;
};

// One undoable edit of one frame's mask (a brush stroke, a selection fill, a mask move), or a
// frame operation (frames set).
struct MaskEditStep {
    std::uint64_t frameId = 0;    // the frame whose mask the edit changed
    std::int32_t maskBefore = 0;  // the frame's mask number before the edit
    std::int32_t maskAfter = 0;   // and after it; they differ when the edit made a new mask
    std::int32_t maskWidth = 0;   // the mask image's size during the edit
    std::int32_t maskHeight = 0;
    std::vector<MaskTileChange> tiles;
    std::shared_ptr<const FrameListChange> frames;  // a frame operation instead of a mask edit
    std::size_t bytes = 0;

    bool madeMask() const { return maskBefore != maskAfter; }
};

// The undo history of mask edits across frames: steps[0, done) can be undone, steps[done, end)
// redone. Its memory stays within limitBytes; the oldest steps go first.
struct MaskHistory {
    static constexpr std::int32_t kTileSide = 64;
    static constexpr std::size_t kDefaultLimit = std::size_t{512} << 20;

    std::deque<MaskEditStep> steps;
    std::size_t done = 0;
    std::size_t bytes = 0;
    std::size_t limitBytes = kDefaultLimit;

    // The edit under way (between the press and the end of the drag), and which of its tiles
    // already hold their pixels from before the edit, by tile number.
    bool editing = false;
    MaskEditStep current;
    std::unordered_map<std::int64_t, std::size_t> currentTiles;

    // The frames before the frame operation under way, and how deep operations are nested (a
    // drag's drop and the delete of a move are one step).
    std::vector<FrameEntry> framesBefore;
    int frameOperationDepth = 0;
};

}  // namespace morvel
