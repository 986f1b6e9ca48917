#pragma once

#include <cstdint>
#include <span>

#include "platform/grey_image.h"
#include "platform/image.h"

namespace morvel {

// A PNG reader for the common files, a good deal faster than libpng: it inflates the whole
// image data at once with libdeflate and undoes the row filters with vector code. It takes
// only files it reads exactly as libpng would; everything else (interlaced pictures, damage of
// any kind, unusual chunk layouts) is left to libpng, which then gives its own result.
enum class FastPngResult { Decoded, LeftToLibpng };

// bytes must start with the PNG signature and announce an acceptable size.
FastPngResult DecodePngFast(std::span<const std::uint8_t> bytes, Image& out);

// The same picture reduced by factor (1 to 256), exactly as ShrinkPicture would make it from
// the full one, without ever holding the full picture. A thread keeps its buffers for the next
// call, so pictures read one after another do not take fresh memory each time.
FastPngResult DecodePngFastReduced(std::span<const std::uint8_t> bytes, int factor, Image& out);

// The blue of the picture DecodePngFast would give, as masks are read, without ever holding
// that picture: a third of its memory.
FastPngResult DecodePngFastBlue(std::span<const std::uint8_t> bytes, GreyImage& out);

}  // namespace morvel
