#include "sequence/sequence_pictures.h"

#include <utility>

#include "import/frame_mask.h"
#include "import/layer_picture.h"

namespace morvel {

SequencePictures::SequencePictures(Reader reader, ErrorReporter reporter, const Film& film,
                                   MaskFileReader maskReader)
    : m_reader(std::move(reader)),
      m_maskReader(maskReader ? std::move(maskReader) : MaskReaderOf(m_reader)),
      m_reporter(reporter),
      m_film(film) {}

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
                    m_reporter.report(LayerLoadError(source), ErrorPlace::ComposeFrame, layer + 1,
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
            GreyImage mask;
            if (ReadFrameMask(m_film.frameFiles(frame), mask, m_maskReader)) {
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
