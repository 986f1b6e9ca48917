#include "sequence/composition.h"

#include <algorithm>
#include <cstring>

#include "codecs/orientation.h"
#include "sequence/blend.h"

namespace morvel {

namespace {

struct Size {
    int width = Image::kMaxSide;
    int height = Image::kMaxSide;
    bool operator==(const Size&) const = default;
};

// The size of a picture in its stored form (asStored) or upright.
Size sizeInForm(const Image& picture, bool asStored) {
    const bool turned = picture.asStored() != asStored && SwapsSides(picture.storedOrientation());
    return turned ? Size{picture.height(), picture.width()}
                  : Size{picture.width(), picture.height()};
}

// The smallest width and height of the layers in one form.
Size layersInForm(const FramePictures& pictures, bool asStored) {
    Size size;
    for (const Image* layer : {pictures.layer1, pictures.layer2}) {
        if (!layer) continue;
        const Size in = sizeInForm(*layer, asStored);
        size = {std::min(size.width, in.width), std::min(size.height, in.height)};
    }
    return size;
}

}  // namespace

bool ComposedAsStored(const FramePictures& pictures) {
    if (!pictures.mask || (!pictures.layer1 && !pictures.layer2)) return false;
    const Size mask{pictures.mask->width(), pictures.mask->height()};
    const Size stored = layersInForm(pictures, true);
    return mask == stored && !(mask == layersInForm(pictures, false));
}

FramePictures InComposedForm(const FramePictures& pictures, std::array<Image, 2>& spare) {
    const bool asStored = ComposedAsStored(pictures);
    FramePictures inForm = pictures;
    const Image** layers[2] = {&inForm.layer1, &inForm.layer2};
    for (int k = 0; k < 2; ++k) {
        const Image* layer = *layers[k];
        if (!layer || layer->storedOrientation() == kUpright || layer->asStored() == asStored)
            continue;
        spare[k] = *layer;
        *layers[k] = TurnToForm(spare[k], asStored) ? &spare[k] : nullptr;
    }
    return inForm;
}

void CompositeSizeOf(const FramePictures& pictures, int& width, int& height) {
    if (!pictures.layer1 && !pictures.layer2) return;
    width = Image::kMaxSide;
    height = Image::kMaxSide;
    for (const Image* picture : {pictures.layer1, pictures.layer2}) {
        if (!picture) continue;
        width = std::min(width, picture->width());
        height = std::min(height, picture->height());
    }
    if (pictures.mask) {
        width = std::min(width, pictures.mask->width());
        height = std::min(height, pictures.mask->height());
    }
}

bool ComposePictures(const FramePictures& taking, int carriedWidth, int carriedHeight, Image& out) {
    // Pictures in the other form are turned into copies: only ever for a film made before
    // pictures were turned upright.
    std::array<Image, 2> spare;
    const FramePictures pictures = InComposedForm(taking, spare);
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
        const GreyImage& mask = *pictures.mask;
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
