#pragma once

#include <functional>
#include <string>

#include "platform/image.h"
#include "project/document.h"

namespace morvel {

// Reads a picture file (a mask's working file) into picture; false when it failed.
using MaskFileReader = std::function<bool(const std::string& file, Image& picture)>;

// The picture of a frame's mask, the one way every reader takes it: the picture kept in memory
// when its working file could not be written (reduced by factor, as a reduced read gives it),
// otherwise the working file through readFile (by default read whole). False when the frame has
// no mask or it cannot be had; mask is then left as it was. Any thread may call it.
bool ReadFrameMask(const FrameFiles& files, Image& mask, const MaskFileReader& readFile = {},
                   int factor = 1);

}  // namespace morvel
