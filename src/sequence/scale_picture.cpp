#include "sequence/scale_picture.h"

#include <algorithm>
#include <cstring>
#include <numeric>
#include <vector>

namespace morvel {

namespace {

using i64 = std::int64_t;

// The area-averaging scale along one axis, for the destination pixels [first, end) of a
// destination of `scaled` pixels made from `source` pixels. Destination pixel u covers the
// source interval [u * source, (u + 1) * source) / scaled; each source pixel s it meets counts
// with the length of the overlap (in units of gcd(source, scaled) / scaled). The weights of a
// destination pixel add up to `total`. Every destination pixel depends on nothing but its own
// interval, so scaling part of the picture gives the same pixels as scaling all of it.
struct Axis {
    std::vector<int> from;         // first source pixel of each destination pixel
    std::vector<int> weightStart;  // into weights; one entry more than destination pixels
    std::vector<std::uint32_t> weights;
    std::uint64_t total = 1;

    void build(i64 first, i64 end, i64 source, i64 scaled) {
        from.clear();
        weightStart.clear();
        weights.clear();
        const i64 unit = std::gcd(source, scaled);
        total = static_cast<std::uint64_t>(source / unit);
        for (i64 u = first; u < end; ++u) {
            const i64 lo = u * source;
            const i64 hi = lo + source;
            const i64 s0 = lo / scaled;
            const i64 s1 = (hi + scaled - 1) / scaled;
            from.push_back(static_cast<int>(s0));
            weightStart.push_back(static_cast<int>(weights.size()));
            for (i64 s = s0; s < s1; ++s) {
                const i64 overlap = std::min((s + 1) * scaled, hi) - std::max(s * scaled, lo);
                weights.push_back(static_cast<std::uint32_t>(overlap / unit));
            }
        }
        weightStart.push_back(static_cast<int>(weights.size()));
    }
    int count(std::size_t i) const { return weightStart[i + 1] - weightStart[i]; }
};

}  // namespace

Placement PlacementOf(const ViewGeometry& view, const Image& picture) {
    return Placement{view.canvasLength(static_cast<float>(view.offsetX)),
                     view.canvasLength(static_cast<float>(view.offsetY)),
                     view.canvasLength(static_cast<float>(picture.width())),
                     view.canvasLength(static_cast<float>(picture.height()))};
}

void ScaleInto(Image& canvas, const Image& composite, const Placement& at, const Rect& r) {
    const int columns = r.right - r.left;
    if (at.width == composite.width() && at.height == composite.height()) {
        for (int y = r.top; y < r.bottom; ++y) {
            const std::uint8_t* from = composite.row(static_cast<int>(y - at.top)) +
                                       static_cast<std::size_t>(r.left - at.left) * 3;
            std::memcpy(canvas.row(y) + static_cast<std::size_t>(r.left) * 3, from,
                        static_cast<std::size_t>(columns) * 3);
        }
        return;
    }
    Axis across;
    Axis down;
    across.build(r.left - at.left, r.right - at.left, composite.width(), at.width);
    down.build(r.top - at.top, r.bottom - at.top, composite.height(), at.height);
    const int sourceFirst = across.from.front();
    const int sourceEnd = across.from.back() + across.count(across.from.size() - 1);
    const std::size_t sourceBytes = static_cast<std::size_t>(sourceEnd - sourceFirst) * 3;
    std::vector<std::uint32_t> columnSums(sourceBytes);
    const double total = static_cast<double>(across.total * down.total);
    const std::uint64_t half = across.total * down.total / 2;
    for (int y = r.top; y < r.bottom; ++y) {
        // Down first: the weighted sum of the source rows this canvas row covers (< 2^24 each).
        const std::size_t row = static_cast<std::size_t>(y - r.top);
        std::fill(columnSums.begin(), columnSums.end(), 0u);
        for (int k = down.weightStart[row]; k < down.weightStart[row + 1]; ++k) {
            const std::uint32_t weight = down.weights[k];
            const std::uint8_t* source =
                composite.row(down.from[row] + (k - down.weightStart[row])) +
                static_cast<std::size_t>(sourceFirst) * 3;
            for (std::size_t i = 0; i < sourceBytes; ++i) columnSums[i] += weight * source[i];
        }
        // Then across; the exact integer mean, rounded half up. Both sums are below 2^53, so
        // the division in double precision is exact before the truncation.
        // Close up most canvas pixels lie inside one composite pixel: that pixel is their mean.
        const std::uint8_t* oneRow = down.count(row) == 1 ? composite.row(down.from[row]) : nullptr;
        std::uint8_t* out = canvas.row(y) + static_cast<std::size_t>(r.left) * 3;
        for (int x = 0; x < columns; ++x, out += 3) {
            if (oneRow && across.count(x) == 1) {
                std::memcpy(out, oneRow + static_cast<std::size_t>(across.from[x]) * 3, 3);
                continue;
            }
            std::uint64_t sum[3] = {half, half, half};
            const std::uint32_t* sums =
                columnSums.data() + static_cast<std::size_t>(across.from[x] - sourceFirst) * 3;
            for (int k = across.weightStart[x]; k < across.weightStart[x + 1]; ++k, sums += 3) {
                const std::uint64_t weight = across.weights[k];
                sum[0] += weight * sums[0];
                sum[1] += weight * sums[1];
                sum[2] += weight * sums[2];
            }
            for (int c = 0; c < 3; ++c) {
                out[c] = static_cast<std::uint8_t>(static_cast<double>(sum[c]) / total);
            }
        }
    }
}

Rect VisiblePart(const Image& canvas, const Placement& at) {
    Rect r;
    r.left = static_cast<std::int32_t>(std::clamp<i64>(at.left, 0, canvas.width()));
    r.top = static_cast<std::int32_t>(std::clamp<i64>(at.top, 0, canvas.height()));
    r.right = static_cast<std::int32_t>(std::clamp<i64>(at.left + at.width, 0, canvas.width()));
    r.bottom = static_cast<std::int32_t>(std::clamp<i64>(at.top + at.height, 0, canvas.height()));
    return r;
}

void FillBackground(Image& canvas, const Rect& picture) {
    const std::size_t rowBytes = static_cast<std::size_t>(canvas.width()) * 3;
    for (int y = 0; y < canvas.height(); ++y) {
        std::uint8_t* row = canvas.row(y);
        if (IsEmptyRect(picture) || y < picture.top || y >= picture.bottom) {
            std::memset(row, kCanvasBackground, rowBytes);
            continue;
        }
        std::memset(row, kCanvasBackground, static_cast<std::size_t>(picture.left) * 3);
        std::memset(row + static_cast<std::size_t>(picture.right) * 3, kCanvasBackground,
                    static_cast<std::size_t>(canvas.width() - picture.right) * 3);
    }
}

void DrawScaledPicture(const Image& picture, const ViewGeometry& view, Image& canvas) {
    const Placement at = PlacementOf(view, picture);
    const Rect visible = VisiblePart(canvas, at);
    const bool scaled = at.width > 0 && at.height > 0 && !picture.empty();
    FillBackground(canvas, scaled ? visible : Rect{});
    if (scaled && !IsEmptyRect(visible)) ScaleInto(canvas, picture, at, visible);
}

}  // namespace morvel
