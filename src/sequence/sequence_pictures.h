#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "i18n/error_reporter.h"
#include "import/frame_mask.h"
#include "platform/image.h"
#include "project/frame_list.h"
#include "sequence/composition.h"
#include "sequence/film.h"

namespace morvel {

// The pictures of a sequence of frames composed one after the other, as the editor's work images
// hold them: a source the same as the frame before's is not read again, and one that failed
// stays absent without another message. Failures are reported in the order the editor reports
// them (layer 1, layer 2, mask), after whatever the reader itself reports.
class SequencePictures {
public:
    // Reads a layer source (or a mask's working file) at full size; false when it failed.
    using Reader = std::function<bool(const std::string& source, Image& picture)>;

    // The film names the masks' working files; it must outlive this. The masks' working files
    // are read through maskReader, by default as the blue of what reader gives.
    SequencePictures(Reader reader, ErrorReporter reporter, const Film& film,
                     MaskFileReader maskReader = {});

    // Brings in the pictures of frame and tells which take part.
    FramePictures bring(const FrameRecord& frame);
    // Brings in frame's pictures and composes them into composite, which holds the frame before
    // (its size is carried to a frame without layers). When no composite of the size needed can
    // be had, that is reported and composite stays the frame before, as the editor shows it.
    void compose(const FrameRecord& frame, Image& composite);

private:
    Reader m_reader;
    MaskFileReader m_maskReader;
    ErrorReporter m_reporter;
    const Film& m_film;
    std::array<Image, 2> m_layer;
    std::array<std::string, 2> m_source;
    std::array<bool, 2> m_layerFailed{false, false};
    GreyImage m_mask;
    std::int32_t m_maskNumber = 0;
    bool m_maskFailed = false;
};

}  // namespace morvel
