#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "platform/image.h"
#include "codecs/load_result.h"

namespace morvel {

// Grey, RGB/YCbCr and CMYK JPEG files read into 24 bits. scaleDenominator 1, 2, 4 or 8 asks
// the decoder for a picture reduced by that factor (cheap thumbnails).
LoadResult DecodeJpeg(std::span<const std::uint8_t> bytes, Image& out, int scaleDenominator = 1);

// The same, reduced by the largest factor (1, 2, 4 or 8) that still leaves the picture at least
// minWidth x minHeight: the cheapest decode for a thumbnail of that size. Reduction skips most
// of the inverse DCT and the colour conversion of the dropped pixels.
LoadResult DecodeJpegReduced(std::span<const std::uint8_t> bytes, Image& out, int minWidth,
                             int minHeight);

// Three components, RGB input, library defaults, quality 70.
bool EncodeJpeg(const Image& image, std::vector<std::uint8_t>& out);

}  // namespace morvel
