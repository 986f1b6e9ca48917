#include "codecs/shrink_picture.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace morvel {

Image ShrinkPicture(const Image& picture, int factor) {
    if (factor == 1) return picture;
    const int width = (picture.width() + factor - 1) / factor;
    const int height = (picture.height() + factor - 1) / factor;
    auto made = Image::create(width, height);
    if (!made) return {};
    std::vector<std::uint32_t> sums(static_cast<std::size_t>(width) * 3);
    std::vector<std::uint32_t> counts(static_cast<std::size_t>(width));
    for (int y = 0; y < height; ++y) {
        std::fill(sums.begin(), sums.end(), 0u);
        std::fill(counts.begin(), counts.end(), 0u);
        const int end = std::min(picture.height(), (y + 1) * factor);
        for (int sy = y * factor; sy < end; ++sy) {
            const std::uint8_t* row = picture.row(sy);
            for (int x = 0; x < width; ++x) {
                const int last = std::min(picture.width(), (x + 1) * factor);
                std::uint32_t* sum = &sums[static_cast<std::size_t>(x) * 3];
                for (int sx = x * factor; sx < last; ++sx) {
                    sum[0] += row[sx * 3];
                    sum[1] += row[sx * 3 + 1];
                    sum[2] += row[sx * 3 + 2];
                }
                counts[x] += static_cast<std::uint32_t>(last - x * factor);
            }
        }
        std::uint8_t* row = made->row(y);
        for (int x = 0; x < width; ++x) {
            for (int c = 0; c < 3; ++c) {
                row[x * 3 + c] = static_cast<std::uint8_t>(
                    (sums[static_cast<std::size_t>(x) * 3 + c] + counts[x] / 2) / counts[x]);
            }
        }
    }
    return std::move(*made);
}

GreyImage ShrinkGrey(const GreyImage& picture, int factor) {
    if (factor == 1) return picture;
    const int width = (picture.width() + factor - 1) / factor;
    const int height = (picture.height() + factor - 1) / factor;
    auto made = GreyImage::create(width, height);
    if (!made) return {};
    std::vector<std::uint32_t> sums(static_cast<std::size_t>(width));
    std::vector<std::uint32_t> counts(static_cast<std::size_t>(width));
    for (int y = 0; y < height; ++y) {
        std::fill(sums.begin(), sums.end(), 0u);
        std::fill(counts.begin(), counts.end(), 0u);
        const int end = std::min(picture.height(), (y + 1) * factor);
        for (int sy = y * factor; sy < end; ++sy) {
            const std::uint8_t* row = picture.row(sy);
            for (int x = 0; x < width; ++x) {
                const int last = std::min(picture.width(), (x + 1) * factor);
                for (int sx = x * factor; sx < last; ++sx) sums[x] += row[sx];
                counts[x] += static_cast<std::uint32_t>(last - x * factor);
            }
        }
        std::uint8_t* row = made->row(y);
        for (int x = 0; x < width; ++x)
            row[x] = static_cast<std::uint8_t>((sums[x] + counts[x] / 2) / counts[x]);
    }
    return std::move(*made);
}

}  // namespace morvel
