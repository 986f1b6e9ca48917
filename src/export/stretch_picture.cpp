#include "export/stretch_picture.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace morvel {

namespace {

constexpr int kWeightBits = 14;
constexpr int kWeightOne = 1 << kWeightBits;

// The source pixels a target pixel reads along one direction, with weights summing to 1.0.
struct Taps {
    int first = 0;
    std::vector<int> weights;
};

std::vector<Taps> tapsFor(int sourceSize, int targetSize) {
    std::vector<Taps> all(static_cast<std::size_t>(targetSize));
    const double scale = static_cast<double>(targetSize) / sourceSize;
    for (int t = 0; t < targetSize; ++t) {
        std::vector<double> weights;
        int first = 0;
        if (scale < 1.0) {
            // The target pixel covers [t / scale, (t + 1) / scale) of the source.
            const double begin = t / scale;
            const double end = (t + 1) / scale;
            first = static_cast<int>(std::floor(begin));
            const int last = std::min(sourceSize - 1, static_cast<int>(std::ceil(end)) - 1);
            for (int s = first; s <= last; ++s)
                weights.push_back(std::min<double>(end, s + 1) - std::max<double>(begin, s));
        } else {
            // Between the two source pixels nearest to the target pixel's centre.
            const double centre = (t + 0.5) / scale - 0.5;
            const int left = static_cast<int>(std::floor(centre));
            const double fraction = centre - left;
            first = std::clamp(left, 0, sourceSize - 1);
            const int right = std::clamp(left + 1, 0, sourceSize - 1);
            if (right == first) {
                weights.push_back(1.0);
            } else {
                weights.push_back(1.0 - fraction);
                weights.push_back(fraction);
            }
        }
        double total = 0;
        for (const double w : weights) total += w;
        Taps& taps = all[static_cast<std::size_t>(t)];
        taps.first = first;
        int sum = 0;
        for (const double w : weights) {
            taps.weights.push_back(static_cast<int>(std::lround(w / total * kWeightOne)));
            sum += taps.weights.back();
        }
        // Rounding must not brighten or darken: the largest weight takes the difference.
        *std::max_element(taps.weights.begin(), taps.weights.end()) += kWeightOne - sum;
    }
    return all;
}

std::uint8_t weighted(std::int64_t sum) {
    return static_cast<std::uint8_t>(
        std::clamp<std::int64_t>((sum + kWeightOne / 2) >> kWeightBits, 0, 255));
}

}  // namespace

Image StretchPicture(const Image& picture, int width, int height) {
    if (picture.empty()) return Image();
    auto across = Image::create(width, picture.height());
    auto result = Image::create(width, height);
    if (!across || !result) return Image();

    const std::vector<Taps> columns = tapsFor(picture.width(), width);
    for (int y = 0; y < picture.height(); ++y) {
        const std::uint8_t* in = picture.row(y);
        std::uint8_t* out = across->row(y);
        for (int x = 0; x < width; ++x) {
            const Taps& taps = columns[static_cast<std::size_t>(x)];
            for (int c = 0; c < 3; ++c) {
                std::int64_t sum = 0;
                for (std::size_t i = 0; i < taps.weights.size(); ++i)
                    sum += std::int64_t{taps.weights[i]} * in[(taps.first + i) * 3 + c];
                out[x * 3 + c] = weighted(sum);
            }
        }
    }
    const std::vector<Taps> rows = tapsFor(picture.height(), height);
    const std::size_t rowBytes = static_cast<std::size_t>(width) * 3;
    std::vector<std::int64_t> sums(rowBytes);
    for (int y = 0; y < height; ++y) {
        const Taps& taps = rows[static_cast<std::size_t>(y)];
        std::fill(sums.begin(), sums.end(), 0);
        for (std::size_t i = 0; i < taps.weights.size(); ++i) {
            const std::uint8_t* in = across->row(taps.first + static_cast<int>(i));
            const std::int64_t weight = taps.weights[i];
            for (std::size_t b = 0; b < rowBytes; ++b) sums[b] += weight * in[b];
        }
        std::uint8_t* out = result->row(y);
        for (std::size_t b = 0; b < rowBytes; ++b) out[b] = weighted(sums[b]);
    }
    return std::move(*result);
}

}  // namespace morvel
