#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/image.h"

namespace morvel {

struct PngText {
    std::string key;
    std::string value;
};

// An 8-bit RGB PNG, not interlaced, with the tEXt chunks (Latin-1 keys and values) before the
// image data. Each row takes the filter whose bytes sum smallest as signed values, the usual
// guess at what compresses best; the rows are deflated whole by libdeflate. False when memory
// runs out or the image is empty.
bool WritePng(const Image& image, const std::vector<PngText>& texts, std::vector<std::uint8_t>& out);

}  // namespace morvel
