#pragma once

#include <cstdint>
#include <span>

#include "platform/image.h"

namespace morvel {

// How a camera stored a picture, as the Exif and TIFF orientation tag says: 1 upright, 2 mirrored,
// 3 turned half round, 4 upside-down mirror, 5 to 8 the same with rows and columns swapped
// (6: turn a quarter clockwise to stand upright, 8: a quarter anticlockwise).
constexpr int kUpright = 1;

// The orientation tag of the Exif block of a JPEG file; kUpright when there is none, when the
// block is damaged or when the value is not one of 1 to 8.
int JpegExifOrientation(std::span<const std::uint8_t> jpeg);

// True for the orientations that swap width and height.
inline bool SwapsSides(int orientation) {
    return orientation >= 5 && orientation <= 8;
}

// The picture turned upright from the given orientation; kUpright or an unknown value leaves
// it as it is. On lack of memory the picture stays as it is and false is given.
bool TurnUpright(Image& picture, int orientation);

// A picture a decoder turned upright (Image::storedOrientation) turned to its stored form, as
// pictures were read before they were turned (asStored true), or upright again (false). Other
// pictures and a picture already in that form stay as they are; so does one on lack of memory,
// which gives false.
bool TurnToForm(Image& picture, bool asStored);

}  // namespace morvel
