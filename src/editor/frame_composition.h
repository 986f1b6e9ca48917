#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "i18n/error_reporter.h"
#include "platform/image.h"
#include "project/document.h"

namespace morvel {

// The pictures one frame is composed from; null for a picture that takes no part (no source,
// or it could not be read).
struct FramePictures {
    const Image* layer1 = nullptr;
    const Image* layer2 = nullptr;
    const Image* mask = nullptr;
};

// The size of a frame's composite: the smallest width and height among its pictures when a layer
// takes part, otherwise the size of the composite before it (carried in width and height).
void CompositeSizeOf(const FramePictures& pictures, int& width, int& height);

// Composes a frame from its pictures alone into out, at full size: layer 1 over layer 2 through
// the mask's blue, aligned at the bottom-left, when layer 1 and the mask take part; otherwise the
// top layer aligned at the top-left, or black. A frame without a layer is black at the carried
// size. Depends on nothing but its arguments, so any thread may call it. False when an image of
// the size needed could not be made; out is then unchanged.
bool ComposePictures(const FramePictures& pictures, int carriedWidth, int carriedHeight,
                     Image& out);

// The pictures of a sequence of frames composed one after the other, as the editor's work images
// hold them: a source the same as the frame before's is not read again, and one that failed
// stays absent without another message. Failures are reported in the order the editor reports
// them (layer 1, layer 2, mask), after whatever the reader itself reports.
class SequencePictures {
public:
    // Reads a layer source (or a mask's working file) at full size; false when it failed.
    using Reader = std::function<bool(const std::string& source, Image& picture)>;

    SequencePictures(Reader reader, ErrorReporter reporter, MaskStore masks);

    // Starts from pictures already held, so that they are neither read nor reported again.
    void holdLayer(int layer, const std::string& source, bool failed, const Image& picture);
    void holdMask(std::int32_t number, bool failed, const Image& mask);

    // Brings in the pictures of frame and tells which take part.
    FramePictures bring(const FrameRecord& frame);
    // Brings in frame's pictures and composes them into composite, which holds the frame before
    // (its size is carried to a frame without layers). When no composite of the size needed can
    // be had, that is reported and composite stays the frame before, as the editor shows it.
    void compose(const FrameRecord& frame, Image& composite);

private:
    Reader m_reader;
    ErrorReporter m_reporter;
    MaskStore m_masks;
    std::array<Image, 2> m_layer;
    std::array<std::string, 2> m_source;
    std::array<bool, 2> m_layerFailed{false, false};
    Image m_mask;
    std::int32_t m_maskNumber = 0;
    bool m_maskFailed = false;
};

}  // namespace morvel
