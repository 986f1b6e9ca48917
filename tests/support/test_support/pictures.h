#pragma once

// Small pictures for tests, and a comparison that says where two pictures differ.

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/image.h"

namespace morvel::testing {

struct Rgb {
    std::uint8_t r, g, b;
};

inline constexpr Rgb kBlack{0, 0, 0};
inline constexpr Rgb kRed{255, 0, 0};
inline constexpr Rgb kGreen{0, 255, 0};
inline constexpr Rgb kBlue{0, 0, 255};
inline constexpr Rgb kWhite{255, 255, 255};

// A picture from its pixels, listed row by row from the top.
inline Image MakePicture(int width, int height, const std::vector<Rgb>& pixels) {
    Image image = *Image::create(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const Rgb& c = pixels.at(static_cast<std::size_t>(y * width + x));
            image.setPixel(x, y, c.r, c.g, c.b);
        }
    return image;
}

// A picture whose pixels all differ from their neighbours, so that any shift or mirror shows.
inline Image PatternPicture(int width, int height) {
    Image image = *Image::create(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, static_cast<std::uint8_t>(x * 40 + y),
                           static_cast<std::uint8_t>(y * 70 + 3),
                           static_cast<std::uint8_t>(x * 13 + y * 29 + 7));
    return image;
}

// A picture whose pixel (x, y) is colour(x, y).
Image MakePicture(int width, int height, const std::function<Rgb(int x, int y)>& colour);
Image UniformPicture(int width, int height, Rgb colour);
// A grey mask: every component of pixel (x, y) is value(x, y).
Image GreyMask(int width, int height, const std::function<std::uint8_t(int x, int y)>& value);

inline std::string DescribePixel(const Image& image, int x, int y) {
    return std::to_string(image.red(x, y)) + "/" + std::to_string(image.green(x, y)) + "/" +
           std::to_string(image.blue(x, y));
}

// Size and, for small pictures, every pixel.
inline std::string DescribePicture(const Image& image) {
    std::string text = std::to_string(image.width()) + "x" + std::to_string(image.height());
    if (image.width() * image.height() > 64) return text;
    for (int y = 0; y < image.height(); ++y) {
        text += "\n ";
        for (int x = 0; x < image.width(); ++x) text += " " + DescribePixel(image, x, y);
    }
    return text;
}

inline ::testing::AssertionResult SamePicture(const Image& actual, const Image& expected) {
    if (actual.samePixels(expected)) return ::testing::AssertionSuccess();
    auto failure = ::testing::AssertionFailure();
    failure << "got " << DescribePicture(actual) << "\nexpected " << DescribePicture(expected);
    if (actual.width() == expected.width() && actual.height() == expected.height()) {
        for (int y = 0; y < actual.height(); ++y)
            for (int x = 0; x < actual.width(); ++x)
                if (DescribePixel(actual, x, y) != DescribePixel(expected, x, y))
                    return failure << "\nfirst difference at (" << x << ", " << y
                                   << "): " << DescribePixel(actual, x, y) << " instead of "
                                   << DescribePixel(expected, x, y);
    }
    return failure;
}

}  // namespace morvel::testing
