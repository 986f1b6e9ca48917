#pragma once

#include <cstdint>
#include <span>

#include "platform/image.h"

namespace morvel {

// The about box's logo as the program carries it: a progressive JPEG of 370 x 98 pixels, made
// from our own drawing when the program is built.
std::span<const std::uint8_t> AboutLogoJpeg();

// The logo decoded (image 8); an empty image when it cannot be decoded.
Image DecodeAboutLogo();

}  // namespace morvel
