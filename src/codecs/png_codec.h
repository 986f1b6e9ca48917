#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "platform/image.h"
#include "codecs/load_result.h"
#include "codecs/png_writer.h"

namespace morvel {

// Any PNG (palette, grey, 16 bits, alpha, interlaced) read into 24 bits; alpha is dropped.
// Files the fast reader covers are read by it, the others by libpng.
LoadResult DecodePng(std::span<const std::uint8_t> bytes, Image& out);

// The same through libpng alone, after the checks of the header that DecodePng makes first.
LoadResult DecodePngWithLibpng(std::span<const std::uint8_t> bytes, Image& out);

// 8-bit RGB, not interlaced (see WritePng). False when encoding fails.
bool EncodePng(const Image& image, std::vector<std::uint8_t>& out);
// The same with tEXt chunks (Latin-1 keys and values) before the image data.
bool EncodePngWithText(const Image& image, const std::vector<PngText>& texts,
                       std::vector<std::uint8_t>& out);

}  // namespace morvel
