#include "sequence/frame_sequence.h"

#include <algorithm>
#include <utility>

#include "import/frame_mask.h"
#include "import/layer_picture.h"

namespace morvel {

namespace {

// The composite as it stands before frame first: a frame without a readable picture is composed
// at the size of the composite before it, so a range must start from the size of the last
// earlier frame whose pictures could be read. Those pictures are read again for their size,
// without reporting (their errors belong to frames outside the range); black at that size.
Image carryCompositionBefore(const Film& film, int first, VideoPool& pool) {
    int width = kStartCompositeWidth;
    int height = kStartCompositeHeight;
    for (int j = first - 1; j >= 0; --j) {
        const FrameFiles files = film.frameFiles(j);
        Image pictures[2];
        GreyImage mask;
        const auto read = [&](const std::string& source, Image& picture) {
            return !source.empty() && ReadLayerSource(source, pool, picture).ok;
        };
        FramePictures taking;
        if (read(files.layers[0], pictures[0])) taking.layer1 = &pictures[0];
        if (read(files.layers[1], pictures[1])) taking.layer2 = &pictures[1];
        if (!taking.layer1 && !taking.layer2) continue;
        if (ReadFrameMask(files, mask, MaskReaderOf(read))) taking.mask = &mask;
        std::array<Image, 2> spare;
        CompositeSizeOf(InComposedForm(taking, spare), width, height);
        break;
    }
    auto black = Image::create(width, height);
    return black ? std::move(*black) : Image{};
}

int lastOf(const Film& film, int last) {
    const int count = film.size();
    return last < 0 ? count - 1 : std::min(last, count - 1);
}

}  // namespace

FrameSequence::FrameSequence(const Film& film, int first, int last, WorkQueue& queue,
                             ErrorReporter reporter, int readAhead)
    : m_film(film),
      m_first(std::max(0, first)),
      m_last(lastOf(film, last)),
      m_next(m_first),
      m_readUpTo(m_first - 1),
      m_readAhead(std::max(0, readAhead)),
      m_reader(m_film, queue, m_videos, reporter),
      m_pictures([this](const std::string& source,
                        Image& picture) { return m_reader.read(source, picture); },
                 reporter, m_film,
                 [this](const std::string& file, GreyImage& mask) {
                     return m_reader.readMask(file, mask);
                 }) {
    if (total() > 0) m_composite = carryCompositionBefore(m_film, m_first, m_videos);
}

void FrameSequence::readAheadUpTo(int index) {
    while (m_readUpTo < std::min(m_last, index)) m_reader.readAhead(++m_readUpTo);
}

bool FrameSequence::nextReadable() {
    readAheadUpTo(m_next + m_readAhead);
    return m_reader.frameReadable(m_next);
}

const Image& FrameSequence::composeNext() {
    readAheadUpTo(m_next + m_readAhead);
    m_pictures.compose(m_film.frames.at(m_next), m_composite);
    ++m_next;
    return m_composite;
}

}  // namespace morvel
