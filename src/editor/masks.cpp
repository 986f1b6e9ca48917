#include "editor/masks.h"

#include "editor/frame_selection.h"
#include "import/layer_picture.h"
#include "codecs/picture_io.h"

namespace morvel {

bool LoadMask(ProgramState& state, std::int32_t n) {
    if (!LoadLayerPicture(state, state.images.mask, state.document.masks.workingFile(n))) return false;
    const Image& composite = state.images.composite;
    state.cache.dirty = Rect{0, composite.width(), 0, composite.height()};
    return true;
}

bool StoreMask(ProgramState& state, std::int32_t n) {
    const std::string path = state.document.masks.workingFile(n);
    if (SavePictureFile(state.images.mask, path, PictureFormat::Png)) return true;
    state.reporter().report(ErrorKind::SaveImage, ErrorPlace::StoreMask, 300, path);
    return false;
}

void MarkMaskModified(ProgramState& state) {
    state.cache.maskModified = true;
    ++state.cache.maskEdits;
}

void StoreDisplayedMask(ProgramState& state) {
    const FrameRecord* displayed = DisplayedFrame(state);
    if (displayed && displayed->maskNumber != 0 && state.cache.maskModified) {
        StoreMask(state, displayed->maskNumber);
    }
}

bool CreateMask(ProgramState& state) {
    FrameRecord* displayed = DisplayedFrame(state);
    if (!displayed) return false;
    const int width = state.images.composite.width();
    const int height = state.images.composite.height();
    auto mask = Image::create(width, height);
    if (!mask) {
        state.reporter().report(ErrorKind::CreateImage, ErrorPlace::CreateMask, 0, {}, width,
                                height);
        return false;
    }
    state.images.mask = std::move(*mask);
    displayed->maskNumber = state.document.masks.nextNumber++;
    state.cache.maskNumber = displayed->maskNumber;
    state.cache.maskFailed = false;
    state.cache.dirty = Rect{0, width, 0, height};
    MarkMaskModified(state);
    return true;
}

void ClampDirtyRectangle(ProgramState& state) {
    Rect& dirty = state.cache.dirty;
    const int width = state.images.composite.width();
    const int height = state.images.composite.height();
    if (dirty.left < 0) dirty.left = 0;
    if (dirty.top < 0) dirty.top = 0;
    if (dirty.right > width) dirty.right = width;
    if (dirty.bottom > height) dirty.bottom = height;
    if (dirty.left > width - 1) dirty.left = width - 1;
    if (dirty.top > height - 1) dirty.top = height - 1;
    if (dirty.right < 0) dirty.right = 0;
    if (dirty.bottom < 0) dirty.bottom = 0;
}

}  // namespace morvel
