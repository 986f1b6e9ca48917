#include "sequence/composition.h"

#include <algorithm>
#include <cstring>

#include "sequence/blend.h"

namespace morvel {

void CompositeSizeOf(const FramePictures& pictures, int& width, int& height) {
    if (!pictures.layer1 && !pictures.layer2) return;
    width = Image::kMaxSide;
    height = Image::kMaxSide;
    for (const Image* picture : {pictures.layer1, pictures.layer2, pictures.mask}) {
        if (!picture) continue;
        width = std::min(width, picture->width());
        height = std::min(height, picture->height());
    }
}

bool ComposePictures(const FramePictures& pictures, int carriedWidth, int carriedHeight,
                     Image& out) {
    int width = carriedWidth;
    int height = carriedHeight;
    CompositeSizeOf(pictures, width, height);
    if (out.width() != width || out.height() != height) {
        auto made = Image::create(width, height);
        if (!made) return false;
        out = std::move(*made);
    }
    const std::size_t rowBytes = static_cast<std::size_t>(width) * 3;
    if (pictures.layer1 && pictures.mask) {
        // Every source is at least as large as the composite and aligned at its bottom-left.
        const Image& layer1 = *pictures.layer1;
        const Image& mask = *pictures.mask;
        const int shift1 = layer1.height() - height;
        const int shiftMask = mask.height() - height;
        const int shift2 = pictures.layer2 ? pictures.layer2->height() - height : 0;
        for (int y = 0; y < height; ++y) {
            if (pictures.layer2) {
                BlendTwoLayersRow(layer1.row(y + shift1), pictures.layer2->row(y + shift2),
                                  mask.row(y + shiftMask), out.row(y), width);
            } else {
                BlendOneLayerRow(layer1.row(y + shift1), mask.row(y + shiftMask), out.row(y),
                                 width);
            }
        }
        return true;
    }
    const Image* top = pictures.layer1 ? pictures.layer1 : pictures.layer2;
    for (int y = 0; y < height; ++y) {
        if (top) {
            std::memcpy(out.row(y), top->row(y), rowBytes);
        } else {
            std::memset(out.row(y), 0, rowBytes);
        }
    }
    return true;
}

}  // namespace morvel
