#include "import/thumbnail.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "import/thumbnail_loader.h"

namespace morvel {

namespace {

// The source span [first, end) that target index i of count covers in a source of size.
void span(int i, int count, int size, int& first, int& end) {
    first = static_cast<int>(static_cast<std::int64_t>(i) * size / count);
    end = static_cast<int>(static_cast<std::int64_t>(i + 1) * size / count);
    end = std::max(end, first + 1);
}

}  // namespace

Image ScalePicture(const Image& picture, int width, int height) {
    auto scaled = Image::create(width, height);
    if (!scaled || picture.empty()) return scaled ? std::move(*scaled) : Image();
    std::vector<std::uint64_t> sums(static_cast<std::size_t>(width) * 3);
    std::vector<int> columnFirst(width), columnEnd(width);
    for (int x = 0; x < width; ++x) span(x, width, picture.width(), columnFirst[x], columnEnd[x]);
    for (int ty = 0; ty < height; ++ty) {
        int rowFirst = 0;
        int rowEnd = 0;
        span(ty, height, picture.height(), rowFirst, rowEnd);
        std::fill(sums.begin(), sums.end(), 0);
        for (int y = rowFirst; y < rowEnd; ++y) {
            const std::uint8_t* row = picture.row(y);
            for (int tx = 0; tx < width; ++tx) {
                std::uint64_t r = 0, g = 0, b = 0;
                for (int x = columnFirst[tx]; x < columnEnd[tx]; ++x) {
                    r += row[x * 3];
                    g += row[x * 3 + 1];
                    b += row[x * 3 + 2];
                }
                sums[tx * 3] += r;
                sums[tx * 3 + 1] += g;
                sums[tx * 3 + 2] += b;
            }
        }
        std::uint8_t* out = scaled->row(ty);
        for (int tx = 0; tx < width; ++tx) {
            const std::uint64_t count =
                static_cast<std::uint64_t>(rowEnd - rowFirst) * (columnEnd[tx] - columnFirst[tx]);
            for (int c = 0; c < 3; ++c) {
                out[tx * 3 + c] = static_cast<std::uint8_t>((sums[tx * 3 + c] + count / 2) / count);
            }
        }
    }
    return std::move(*scaled);
}

Image CopyOfLayerThumbnail(const FrameThumbnails& thumbnails, Services& services,
                           const FrameRecord& frame, int layer) {
    const FrameThumbnails::Entry* shown = thumbnails.find(frame.id);
    if (shown && !shown->picture[layer].empty()) return shown->picture[layer];
    if (frame.layerSource[layer].empty() || !services.makeThumbnails) return Image();
    std::optional<Image> made = DecodeLayerThumbnail(frame.layerSource[layer]).thumbnail;
    return made ? std::move(*made) : Image();
}

std::string ThumbnailTooltip(const std::string& layerSource) {
    const auto separator = layerSource.find_last_of("/\\");
    return separator == std::string::npos ? layerSource : layerSource.substr(separator + 1);
}

Image MakeThumbnail(const Image& picture) {
    return ScalePicture(picture, kThumbnailWidth, kThumbnailHeight);
}

void AttachLayerThumbnail(FrameThumbnails& thumbnails, Services& services, const FrameRecord& frame,
                          int layer, const Image& picture) {
    AttachThumbnailImage(thumbnails, services, frame, layer, MakeThumbnail(picture));
}

void AttachThumbnailImage(FrameThumbnails& thumbnails, Services& services, const FrameRecord& frame,
                          int layer, Image thumbnail, int x) {
    ReleaseLayerThumbnail(thumbnails, services, frame.id, layer);
    FrameThumbnails::Entry& entry = thumbnails.of(frame.id);
    entry.picture[layer] = std::move(thumbnail);
    // Created in the layer's row at x; RefreshFrameStrip moves it to its frame's column. The
    // shell shows the picture where it lies here, until the gadget is destroyed.
    entry.gadget[layer] = services.shell.createThumbnailGadget(
        entry.picture[layer], x, 2 + 49 * layer, ThumbnailTooltip(frame.layerSource[layer]));
}

void ReleaseLayerThumbnail(FrameThumbnails& thumbnails, Services& services, FrameId frame,
                           int layer) {
    const GadgetHandle gadget = thumbnails.gadget(frame, layer);
    if (gadget != 0) services.shell.destroyThumbnailGadget(gadget);
    thumbnails.forget(frame, layer);
}

}  // namespace morvel
