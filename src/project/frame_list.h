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

// The frames in film order, with a cursor (the current record) on which most operations act.
// Records keep their address while they are in the list; what must find a frame again after
// another event keeps its id.
class FrameList {
public:
    int size() const { return static_cast<int>(m_records.size()); }
    bool empty() const { return m_records.empty(); }

    // No current record; the following next() yields the first record.
    void reset() { m_cursor = -1; }
    // Moves to the following record (the first after reset) and yields it; at the end it yields
    // nullptr and the cursor stays on the last record.
    FrameRecord* next();
    // Makes record i current; an index outside the list leaves no current record.
    void selectIndex(int i);
    void first() { m_cursor = empty() ? -1 : 0; }
    void last() { m_cursor = size() - 1; }
    // 0-based position of the current record, -1 when there is none.
    int index() const { return m_cursor; }
    FrameRecord* current() { return m_cursor < 0 ? nullptr : m_records[m_cursor].get(); }
    const FrameRecord* current() const {
        return m_cursor < 0 ? nullptr : m_records[m_cursor].get();
    }
    FrameRecord& at(int i) { return *m_records[static_cast<std::size_t>(i)]; }
    const FrameRecord& at(int i) const { return *m_records[static_cast<std::size_t>(i)]; }

    // A new empty record after the current one (at the front when there is none), made current.
    FrameRecord& add();
    // A new empty record before the current one (at the front when there is none), made current.
    FrameRecord& insert();
    // Removes the current record; the previous record becomes current, or the following one
    // when the first record was removed. Nothing happens when there is no current record.
    void remove();
    // Makes the frame with this id current; an id no frame has (any more) leaves no current
    // record.
    void selectId(FrameId id) { selectIndex(indexOfId(id)); }
    // Position of the frame with this id, -1 when none has it.
    int indexOfId(FrameId id) const;
    // The frame with this id, looked for at position hint first; nullptr when none has it.
    FrameRecord* withId(FrameId id, int hint = -1);
    const FrameRecord* withId(FrameId id, int hint = -1) const;
    void clear();

private:
    std::vector<std::unique_ptr<FrameRecord>> m_records;
    int m_cursor = -1;
    FrameId m_lastId = 0;
};

}  // namespace morvel
