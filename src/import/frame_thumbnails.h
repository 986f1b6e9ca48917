#pragma once

#include <array>
#include <unordered_map>

#include "platform/frame_strip_shell.h"
#include "platform/image.h"
#include "project/frame_id.h"

namespace morvel {

// What the frame strip shows of each frame, kept apart from the document: per layer the 60 x 45
// thumbnail and the gadget showing it, by frame id.
class FrameThumbnails {
public:
    struct Entry {
        std::array<Image, 2> picture;              // empty when the layer shows none
        std::array<GadgetHandle, 2> gadget{0, 0};  // 0: no gadget
    };

    // The frame's entry, made empty when it has none.
    Entry& of(FrameId id) { return m_entries[id]; }
    // The frame's entry; nullptr when it has none.
    const Entry* find(FrameId id) const;
    // The gadget showing the layer's thumbnail of the frame; 0 when there is none.
    GadgetHandle gadget(FrameId id, int layer) const;
    // The frame and layer whose thumbnail the gadget shows; false when it shows none.
    bool findGadget(GadgetHandle gadget, FrameId& id, int& layer) const;
    // Forgets the layer's thumbnail (its gadget is destroyed by the caller), and the frame's
    // entry once neither layer has one.
    void forget(FrameId id, int layer);

private:
    std::unordered_map<FrameId, Entry> m_entries;
};

}  // namespace morvel
