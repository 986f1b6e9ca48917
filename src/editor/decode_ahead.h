#pragma once

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
// when all of a neighbour's pictures are its own to read, its composite and the canvas that shows
// it in the view of the moment. The neighbour in the direction of the last step is made first; the
// pictures of the frame just left are taken as the window held them, not decoded again. A step elsewhere drops what no longer neighbours the displayed
// frame, also what is still being made. At most the two neighbours are held. A picture whose
// file changed since it was decoded is read again (and its composite is not used); one that
// could not be decoded ahead is read when it is asked for, which reports as usual. Video frames
// are always read when asked for.
class DecodeAhead : public LayerPictureReader {
public:
    DecodeAhead();
    ~DecodeAhead() override;
    DecodeAhead(const DecodeAhead&) = delete;
    DecodeAhead& operator=(const DecodeAhead&) = delete;

    void frameShown(const Document& document, const ViewGeometry& view, int canvasWidth,
                    int canvasHeight, int index, const MasksInMemory* inMemory = nullptr) override;
    bool read(Services& services, const std::string& layerSource, Image& picture) override;
    bool takeComposed(const FrameFiles& files, ComposedAhead& out) override;
    void setAside(const std::string& file, Image&& picture) override;

    // Pictures held, being decoded or waiting to be.
    int pending() const { return static_cast<int>(m_slots.size()); }
    // Waits until all that was asked for so far is made.
    void settle();

    // A picture being decoded, and a neighbour's pictures with its composite (shared with the
    // thread).
    struct Slot;
    struct Neighbour;

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

    int m_shown = -1;  // the displayed frame
    WorkQueue m_queue{1};
};

}  // namespace morvel
