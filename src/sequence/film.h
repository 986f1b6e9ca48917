#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "project/document.h"

namespace morvel {

// The frames of a document as a sequence composes them, with their masks' working files.
struct Film {
    Film(const Document& document) : frames(document.frames), masks(document.masks) {}

    const FrameList& frames;
    const MaskStore& masks;

    int size() const { return frames.size(); }
    // The files of frame index, or of a frame of the list.
    FrameFiles frameFiles(int index) const { return FilesOf(masks, frames.at(index)); }
    FrameFiles frameFiles(const FrameRecord& frame) const { return FilesOf(masks, frame); }
    // The files of every frame, in film order.
    std::vector<FrameFiles> allFrameFiles() const;
};

}  // namespace morvel
