#pragma once

// Pictures for tests (small exact ones, photograph-like ones), and comparisons that say where
// or how much two pictures differ.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "platform/grey_image.h"
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
        // Appended piece by piece: GCC 12 takes an inlined " " + ... for an overlapping copy
        // (-Wrestrict) in optimised builds.
        for (int x = 0; x < image.width(); ++x) {
            text += ' ';
            text += DescribePixel(image, x, y);
        }
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

// A grey picture as the 24-bit picture its file holds: red = green = blue.
inline Image AsPicture(const GreyImage& grey) {
    return *ExpandGrey(grey);
}

// The grey a mask's file gives: the blue of each pixel.
inline GreyImage GreyOf(const Image& picture) {
    return *GreyFromBlue(picture);
}

inline ::testing::AssertionResult SamePicture(const GreyImage& actual, const Image& expected) {
    return SamePicture(AsPicture(actual), expected);
}
inline ::testing::AssertionResult SamePicture(const Image& actual, const GreyImage& expected) {
    return SamePicture(actual, AsPicture(expected));
}
inline ::testing::AssertionResult SamePicture(const GreyImage& actual, const GreyImage& expected) {
    return SamePicture(AsPicture(actual), AsPicture(expected));
}

// Smooth gradients in each channel plus a little noise: compresses like a photograph rather
// than like a flat colour. The same seed gives the same picture.
inline Image GradientPicture(int width, int height, std::uint32_t seed = 1, int noise = 16) {
    Image image = *Image::create(width, height);
    std::uint32_t state = seed * 2654435761u + 12345u;
    auto clamp = [](int v) { return static_cast<std::uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v); };
    for (int y = 0; y < height; ++y) {
        std::uint8_t* p = image.row(y);
        for (int x = 0; x < width; ++x, p += 3) {
            state ^= state << 13;
            state ^= state >> 17;
            state ^= state << 5;
            const int jitter = noise > 0 ? static_cast<int>(state % (2 * noise + 1)) - noise : 0;
            const int r = x * 255 / (width > 1 ? width - 1 : 1);
            const int g = y * 255 / (height > 1 ? height - 1 : 1);
            const int b = (x + y) * 255 / (width + height > 2 ? width + height - 2 : 1);
            p[0] = clamp(r + jitter);
            p[1] = clamp(g - jitter);
            p[2] = clamp(255 - b + jitter / 2);
        }
    }
    return image;
}

// Mean of the absolute differences over all channels; -1 when the sizes differ.
inline double MeanDifference(const Image& a, const Image& b) {
    if (a.width() != b.width() || a.height() != b.height()) return -1;
    std::uint64_t sum = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width() * 3; ++x) sum += std::abs(a.row(y)[x] - b.row(y)[x]);
    }
    return static_cast<double>(sum) / (static_cast<double>(a.width()) * a.height() * 3);
}

}  // namespace morvel::testing
