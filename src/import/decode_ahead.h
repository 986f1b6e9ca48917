#pragma once

#include <map>
#include <memory>
#include <string>

#include "import/layer_picture.h"
#include "platform/work_queue.h"

namespace morvel {

// Decodes the full-size pictures and masks of the displayed frame's neighbours (the frames just
// before and after it) on a thread of its own, so that a step to either finds them ready. A step
// elsewhere drops what no longer neighbours the displayed frame, also what is still being
// decoded. At most the pictures of the two neighbours are held. A picture whose file changed
// since it was decoded is read again; one that could not be decoded ahead is read when it is
// asked for, which reports as usual. Video frames are always read when asked for.
class DecodeAhead : public LayerPictureReader {
public:
    DecodeAhead();
    ~DecodeAhead() override;
    DecodeAhead(const DecodeAhead&) = delete;
    DecodeAhead& operator=(const DecodeAhead&) = delete;

    void frameShown(const ProgramState& state, int index) override;
    bool read(ProgramState& state, const std::string& layerSource, Image& picture) override;

    // Pictures held, being decoded or waiting to be.
    int pending() const { return static_cast<int>(m_slots.size()); }

private:
    struct Slot;
    std::map<std::string, std::shared_ptr<Slot>> m_slots;
    WorkQueue m_queue{1};
};

}  // namespace morvel
