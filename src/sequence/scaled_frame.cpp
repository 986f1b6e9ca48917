#include "sequence/scaled_frame.h"

#include <algorithm>
#include <utility>

#include "codecs/jpeg_codec.h"
#include "codecs/picture_io.h"
#include "codecs/png_fast_reader.h"
#include "codecs/shrink_picture.h"
#include "import/avi_frames.h"
#include "import/frame_mask.h"
#include "import/layer_picture.h"
#include "import/video_pool.h"
#include "platform/files.h"
#include "sequence/read_factor.h"
#include "sequence/scale_picture.h"

namespace morvel {

namespace {

// Reads source reduced by factor: a JPEG through the decoder's own scaling, a PNG the fast reader
// takes folded down row by row, anything else at full size and then averaged down.
bool readReduced(const std::string& source, int factor, Image& picture) {
    if (source.empty()) return false;
    Image full;
    try {
        if (!IsAviReference(source)) {
            const auto bytes = ReadFileBytes(source);
            if (!bytes) return false;
            if (bytes->size() > 2 && (*bytes)[0] == 0xFF && (*bytes)[1] == 0xD8) {
                return DecodeJpeg(*bytes, picture, factor) == LoadResult::Ok && !picture.empty();
            }
            static constexpr std::uint8_t kPngSignature[8] = {0x89, 'P',  'N',  'G',
                                                              '\r', '\n', 0x1A, '\n'};
            if (bytes->size() > 8 && std::equal(kPngSignature, kPngSignature + 8, bytes->begin()) &&
                DecodePngFastReduced(*bytes, factor, picture) == FastPngResult::Decoded) {
                return !picture.empty();
            }
            if (DecodePicture(*bytes, full) != LoadResult::Ok) return false;
        } else {
            VideoPool videos;
            if (!ReadLayerSource(source, videos, full).ok) return false;
        }
        picture = ShrinkPicture(full, factor);
        picture.setStoredOrientation(full.storedOrientation(), full.asStored());
    } catch (...) {  // memory that could not be had: the picture is left out
        return false;
    }
    return !picture.empty();
}

}  // namespace

bool ComposeFilmFrame(const FrameFiles& frame, const FilmView& view, Image& out,
                      int leastFactor) {
    const int factor = std::max(
        leastFactor, FilmReadFactor(view.carriedWidth, view.carriedHeight, view.geometry.zoom));
    Image layer1;
    Image layer2;
    GreyImage mask;
    FramePictures pictures;
    if (readReduced(frame.layers[0], factor, layer1)) pictures.layer1 = &layer1;
    if (readReduced(frame.layers[1], factor, layer2)) pictures.layer2 = &layer2;
    const MaskFileReader readMask = MaskReaderOf([factor](const std::string& file, Image& picture) {
        return readReduced(file, factor, picture);
    });
    try {
        if (ReadFrameMask(frame, mask, readMask, factor)) pictures.mask = &mask;
    } catch (...) {  // memory that could not be had: the mask is left out
    }
    Image composite;
    if (!ComposePictures(pictures, (view.carriedWidth + factor - 1) / factor,
                         (view.carriedHeight + factor - 1) / factor, composite)) {
        return false;
    }
    auto canvas = Image::create(view.canvasWidth, view.canvasHeight);
    if (!canvas) return false;
    out = std::move(*canvas);
    const ViewGeometry reduced{view.geometry.zoom * static_cast<float>(factor),
                               view.geometry.offsetX / factor, view.geometry.offsetY / factor};
    DrawScaledPicture(composite, reduced, out);
    return true;
}

}  // namespace morvel
