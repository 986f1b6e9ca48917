#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "import/layer_picture.h"
#include "platform/file_stamp.h"
#include "platform/work_queue.h"

namespace morvel {

// Prepares the displayed frame's neighbours (the frames just before and after it) on a thread of
// its own, so that a step to either finds them ready: their full-size pictures and masks, and,
// when all of a neighbour's pictures are its own to read, the canvas that shows its composite in
// the view of the moment, with the composite itself unless the pictures are large. The neighbour in the direction of the last step is made first; the
// pictures of the frame just left are taken as the window held them, not decoded again. A step elsewhere drops what no longer neighbours the displayed
// frame, also what is still being made. At most the two neighbours are held. A picture whose
// file changed since it was decoded is read again (and its composite is not used); one that
// could not be decoded ahead is read when it is asked for, which reports as usual. Video frames
// are always read when asked for. While the window waits for the displayed frame's own pictures
// (it shows a stand-in meanwhile), they are made first, then the neighbour ahead only, if the
// budget holds it beside them.
class DecodeAhead : public LayerPictureReader {
public:
    // The bytes the neighbours' pictures and composites may take together: two neighbours of 12
    // or 20 megapixels, one of 24, none of 45 (the displayed frame's own pictures are still made).
    static constexpr std::size_t kDefaultBudget = std::size_t{300} << 20;
    // Frames of up to this many pixels keep their composite made ahead; larger ones keep only
    // the canvas that shows it, and the window composes them itself (some 20 ms at 24
    // megapixels) rather than hold another picture of that size.
    static constexpr std::int64_t kComposedAheadPixels = 16'000'000;

    explicit DecodeAhead(std::size_t budget = kDefaultBudget,
                         std::int64_t composedAheadPixels = kComposedAheadPixels);
    ~DecodeAhead() override;
    DecodeAhead(const DecodeAhead&) = delete;
    DecodeAhead& operator=(const DecodeAhead&) = delete;

    using LayerPictureReader::frameShown;
    void frameShown(const Document& document, const ViewGeometry& view, int canvasWidth,
                    int canvasHeight, int index, const FrameFiles& held,
                    const MasksInMemory* inMemory) override;
    bool read(Services& services, const std::string& layerSource, Image& picture) override;
    void letGo() override;
    bool readyFor(const FrameFiles& files) override;
    bool takeComposed(const FrameFiles& files, ComposedAhead& out) override;
    bool readMask(Services& services, const std::string& file, GreyImage& mask) override;
    void setAside(const std::string& file, Image&& picture) override;
    void setAsideMask(const std::string& file, GreyImage&& mask) override;
    void givenElsewhere(const std::string& file) override;

    // Pictures held, being decoded or waiting to be.
    int pending() const { return static_cast<int>(m_slots.size()); }
    // Waits until all that was asked for so far is made.
    void settle();
    // How many neighbours are made: as many as the budget holds at the size of the last one
    // made, at most two, and one fewer each time memory could not be had for one.
    int mostNeighbours() const;

    // What one neighbour takes in memory: its pictures, its mask and, up to composedAheadPixels,
    // its composite.
    static std::size_t NeighbourBytes(int width, int height,
                                      std::int64_t composedAheadPixels = kComposedAheadPixels);
    // Neighbours of neighbourBytes each that budget holds, at most two.
    static int NeighboursWithin(std::size_t budget, std::size_t neighbourBytes);

    // A picture being decoded, and a neighbour's pictures with its composite (shared with the
    // thread).
    struct Slot;
    struct Neighbour;
    // What the thread learns: the size of the last neighbour made, memory that could not be had.
    struct Measure;

private:
    std::map<std::string, std::shared_ptr<Slot>> m_slots;
    std::vector<std::shared_ptr<Neighbour>> m_neighbours;
    // Pictures the window just stopped showing, by file, until the next frameShown.
    struct Aside;
    std::map<std::string, std::shared_ptr<Aside>> m_aside;
    // The stamps of the files whose pictures were given out, as they were when read: a picture
    // set aside is only kept as its file was then.
    std::map<std::string, FileStamp> m_given;
    void given(const std::string& file, const FileStamp& stamp);
    // Gives out what the slot prepared for file (its picture, or a mask's grey) when it is
    // still what the file holds; false: the caller reads the file itself.
    bool takePrepared(const std::string& file, Image* picture, GreyImage* mask);

    int m_shown = -1;  // the displayed frame
    bool m_forward = true;  // the direction of the last step
    std::size_t m_budget;
    std::int64_t m_composedAheadPixels;
    int m_memoryShortages = 0;
    std::shared_ptr<Measure> m_measure;
    // Below the window: a step shows a stand-in meanwhile, and its pixels come first.
    WorkQueue m_queue{1, WorkQueue::Priority::Background};
};

}  // namespace morvel
