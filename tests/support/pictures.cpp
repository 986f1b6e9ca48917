#include "test_support/pictures.h"

#include <stdexcept>

namespace morvel::testing {

Image MakePicture(int width, int height, const std::function<Rgb(int x, int y)>& colour) {
    auto image = Image::create(width, height);
    if (!image) throw std::runtime_error("cannot make a test picture");
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const Rgb c = colour(x, y);
            image->setPixel(x, y, c.r, c.g, c.b);
        }
    }
    return std::move(*image);
}

Image UniformPicture(int width, int height, Rgb colour) {
    return MakePicture(width, height, [&](int, int) { return colour; });
}

Image GreyMask(int width, int height, const std::function<std::uint8_t(int x, int y)>& value) {
    return MakePicture(width, height, [&](int x, int y) {
        const std::uint8_t v = value(x, y);
        return Rgb{v, v, v};
    });
}

}  // namespace morvel::testing
