#include "editor/frame_composition.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "editor/blend.h"
#include "project/program_state.h"

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

SequencePictures::SequencePictures(Reader reader, ErrorReporter reporter, MaskStore masks)
    : m_reader(std::move(reader)),
      m_reporter(reporter),
      m_masks(std::move(masks)) {}

void SequencePictures::holdLayer(int layer, const std::string& source, bool failed,
                                 const Image& picture) {
    m_source[layer] = source;
    m_layerFailed[layer] = failed;
    if (!source.empty() && !failed) m_layer[layer] = picture;
}

void SequencePictures::holdMask(std::int32_t number, bool failed, const Image& mask) {
    m_maskNumber = number;
    m_maskFailed = failed;
    if (number != 0 && !failed) m_mask = mask;
}

FramePictures SequencePictures::bring(const FrameRecord& frame) {
    FramePictures pictures;
    for (int layer = 0; layer < 2; ++layer) {
        const std::string& source = frame.layerSource[layer];
        if (source != m_source[layer]) {
            m_source[layer] = source;
            m_layerFailed[layer] = false;
            if (!source.empty()) {
                // Read into a picture of its own: a failed read leaves no half picture behind.
                Image picture;
                if (m_reader(source, picture) && !picture.empty()) {
                    m_layer[layer] = std::move(picture);
                } else {
                    m_layerFailed[layer] = true;
                    m_reporter.report(ErrorKind::LoadImage, ErrorPlace::ComposeFrame, layer + 1,
                                      source);
                }
            }
        }
        if (!source.empty() && !m_layerFailed[layer]) {
            (layer == 0 ? pictures.layer1 : pictures.layer2) = &m_layer[layer];
        }
    }
    if (frame.maskNumber != m_maskNumber) {
        m_maskNumber = frame.maskNumber;
        m_maskFailed = false;
        if (m_maskNumber != 0) {
            Image mask;
            if (m_reader(m_masks.workingFile(m_maskNumber), mask) &&
                !mask.empty()) {
                m_mask = std::move(mask);
            } else {
                m_maskFailed = true;
                m_reporter.report(ErrorKind::LoadMask, ErrorPlace::ComposeFrame, m_maskNumber);
            }
        }
    }
    if (m_maskNumber != 0 && !m_maskFailed) pictures.mask = &m_mask;
    return pictures;
}

void SequencePictures::compose(const FrameRecord& frame, Image& composite) {
    const FramePictures parts = bring(frame);
    int width = composite.width();
    int height = composite.height();
    if (ComposePictures(parts, width, height, composite)) return;
    CompositeSizeOf(parts, width, height);
    m_reporter.report(ErrorKind::CreateImage, ErrorPlace::ComposeFrame, 100, {}, width, height);
}

}  // namespace morvel
