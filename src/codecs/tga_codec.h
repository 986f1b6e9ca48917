#pragma once

#include <cstdint>
#include <span>

#include "platform/image.h"
#include "codecs/load_result.h"

namespace morvel {

// Targa true-colour pictures, image types 2 (uncompressed) and 10 (run-length encoded), 16, 24
// or 32 bits. TGA has no signature: bytes whose header does not describe such a picture give
// NotThisFormat, so that the next reader may try them.
LoadResult DecodeTga(std::span<const std::uint8_t> bytes, Image& out);

}  // namespace morvel
