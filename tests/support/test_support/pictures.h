#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/image.h"

namespace morvel::testing {

// A picture of width x height whose pixel (x, y) is colour(x, y) = {r, g, b}.
struct Rgb {
    std::uint8_t r = 0;
    std::uint8_t g = 0;
    std::uint8_t b = 0;
};
Image MakePicture(int width, int height, const std::function<Rgb(int x, int y)>& colour);
Image UniformPicture(int width, int height, Rgb colour);
// A grey mask: every component is value(x, y).
Image GreyMask(int width, int height, const std::function<std::uint8_t(int x, int y)>& value);

}  // namespace morvel::testing
