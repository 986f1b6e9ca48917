#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "project/frame_id.h"

namespace morvel {

// One frame of the film. The per-layer fields are indexed by layer: 0 = layer 1, 1 = layer 2.
struct FrameRecord {
    // Where the layer's picture comes from: a picture path or an AVI frame reference; empty
    // when the layer has no picture.
    std::array<std::string, 2> layerSource;
    // 0 = no mask; n > 0 = the frame's mask is mask n.
    std::int32_t maskNumber = 0;
    // Names the frame for as long as the program runs, across frame operations and their undo
    // (the undo history refers to frames by it). Never 0 for a frame in the list.
    FrameId id = 0;
};

// The frames in film order. Records keep their address while they are in the list; what must
// find a frame again after another event keeps its id.
class FrameList {
public:
    int size() const { return static_cast<int>(m_records.size()); }
    bool empty() const { return m_records.empty(); }

    FrameRecord& at(int i) { return *m_records[static_cast<std::size_t>(i)]; }
    const FrameRecord& at(int i) const { return *m_records[static_cast<std::size_t>(i)]; }

    // A new empty record with a new id at position (0 to size()); the records from there on
    // move back by one.
    FrameRecord& insertAt(int position);
    // A new empty record at the end.
    FrameRecord& append() { return insertAt(size()); }
    // Removes the record at position.
    void removeAt(int position);
    // Position of the frame with this id, -1 when none has it.
    int indexOfId(FrameId id) const;
    // The frame with this id, looked for at position hint first; nullptr when none has it.
    FrameRecord* withId(FrameId id, int hint = -1);
    const FrameRecord* withId(FrameId id, int hint = -1) const;
    void clear();

private:
    std::vector<std::unique_ptr<FrameRecord>> m_records;
    FrameId m_lastId = 0;
};

}  // namespace morvel
