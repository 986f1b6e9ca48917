#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "project/frame_list.h"

namespace morvel {

// The files one frame is composed from (empty: none): its layer sources and its mask's working
// file. Plain strings, so that worker threads never look at the frame list.
struct FilmFrame {
    std::array<std::string, 2> layers;
    std::string mask;
    bool operator==(const FilmFrame&) const = default;
};

// The frames a sequence composes and the folder their masks' working files lie in.
struct Film {
    const FrameList& frames;
    std::string workingFolder;

    int size() const { return frames.size(); }
    // Where mask number's working file lies.
    std::string maskFile(std::int32_t number) const;
    // The files of frame index, or of a frame of the list.
    FilmFrame frameFiles(int index) const { return frameFiles(frames.at(index)); }
    FilmFrame frameFiles(const FrameRecord& frame) const;
    // The files of every frame, in film order.
    std::vector<FilmFrame> allFrameFiles() const;
};

}  // namespace morvel
