#pragma once

#include <cstdint>
#include <span>

#include "platform/image.h"
#include "codecs/load_result.h"

namespace morvel {

// Every TIFF that libtiff's RGBA interface reads, except compression 6 (old-style JPEG) and
// 32946 (Pixar deflate), which give Unsupported.
LoadResult DecodeTiff(std::span<const std::uint8_t> bytes, Image& out);

}  // namespace morvel
