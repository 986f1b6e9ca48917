#pragma once

#include <functional>
#include <string>

#include "platform/grey_image.h"
#include "platform/image.h"
#include "project/document.h"

namespace morvel {

// Reads a picture file into picture; false when it failed.
using PictureFileReader = std::function<bool(const std::string& file, Image& picture)>;
// Reads a mask's working file as its grey into mask; false when it failed.
using MaskFileReader = std::function<bool(const std::string& file, GreyImage& mask)>;

// The grey of a mask's working file as masks are read: the blue of the picture readPicture
// gives (by default the file read whole). False when it failed; mask is then left as it was.
bool ReadMaskFile(const std::string& file, GreyImage& mask,
                  const PictureFileReader& readPicture = {});

// A mask reader that takes the blue of what readPicture reads.
MaskFileReader MaskReaderOf(PictureFileReader readPicture);

// The grey of a frame's mask, the one way every reader takes it: the picture kept in memory
// when its working file could not be written (reduced by factor, as a reduced read gives it),
// otherwise the working file through readFile (by default read whole, ReadMaskFile). False when
// the frame has no mask or it cannot be had; mask is then left as it was. Any thread may call it.
bool ReadFrameMask(const FrameFiles& files, GreyImage& mask, const MaskFileReader& readFile = {},
                   int factor = 1);

}  // namespace morvel
