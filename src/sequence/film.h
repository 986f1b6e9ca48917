#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "project/document.h"

namespace morvel {

// The frames of a document as a sequence composes them, with their masks' working files and the
// masks kept in memory instead (null: none), which must outlive it.
struct Film {
    Film(const Document& document, const MasksInMemory* inMemory = nullptr)
        : frames(document.frames), masks(document.masks), masksInMemory(inMemory) {}

    const FrameList& frames;
    const MaskStore& masks;
    const MasksInMemory* masksInMemory;

    int size() const { return frames.size(); }
    // The files of frame index, or of a frame of the list.
    FrameFiles frameFiles(int index) const { return frameFiles(frames.at(index)); }
    FrameFiles frameFiles(const FrameRecord& frame) const {
        return FilesOf(masks, frame, masksInMemory);
    }
    // The files of every frame, in film order.
    std::vector<FrameFiles> allFrameFiles() const;
};

}  // namespace morvel
