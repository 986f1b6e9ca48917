#pragma once

#include <optional>
#include <string>
#include <vector>

#include "codecs/picture_io.h"
#include "export/video_writer.h"

namespace morvel {

// The command line of morvel-render.
struct RenderOptions {
    std::string project;
    std::string output;
    PictureFormat format = PictureFormat::Png;
    bool avi = false;            // one AVI video through AVIServ.so instead of an image sequence
    std::optional<VideoFormat> video;  // one MP4 or MOV video instead of an image sequence
    int fps = 30;                // the video's frames per second, 1 to 127
    std::string sound;           // a sound file for the video's sound track
    int firstFrame = 1;          // 1-based, inclusive
    int lastFrame = 0;           // 1-based, inclusive; 0: the project's last frame
    std::optional<int> threads;  // worker threads beside the composing one; none: one per core
    bool quiet = false;
    std::string search;  // where pictures missing at their stored paths are looked for by name
    bool info = false;  // print what a script needs to split the render, write nothing
    // --carry-masks: frame carryFirst's mask carried up to frame carryLast (1-based), no render.
    bool carryMasks = false;
    int carryFirst = 1;
    int carryLast = 0;
    bool help = false;
    bool version = false;
};

struct ParsedRenderOptions {
    RenderOptions options;
    std::string error;  // not empty: a usage error, with this message
};

ParsedRenderOptions ParseRenderOptions(const std::vector<std::string>& arguments);

// The extension written for a format: "bmp", "png" or "jpg".
const char* ExtensionFor(PictureFormat format);

extern const char* const kRenderUsage;

}  // namespace morvel
