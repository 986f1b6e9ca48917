#include "project/frame_list.h"

#include <utility>

namespace morvel {

FrameRecord& FrameList::insertAt(int position) {
    const auto at = m_records.insert(m_records.begin() + position, std::make_unique<FrameRecord>());
    (*at)->id = ++m_lastId;
    return **at;
}

void FrameList::removeAt(int position) {
    m_records.erase(m_records.begin() + position);
}

int FrameList::indexOfId(FrameId id) const {
    for (int i = 0; i < size(); ++i) {
        if (m_records[i]->id == id) return i;
    }
    return -1;
}

const FrameRecord* FrameList::withId(FrameId id, int hint) const {
    if (id == 0) return nullptr;
    if (hint >= 0 && hint < size() && m_records[hint]->id == id) return m_records[hint].get();
    const int index = indexOfId(id);
    return index < 0 ? nullptr : m_records[index].get();
}

FrameRecord* FrameList::withId(FrameId id, int hint) {
    return const_cast<FrameRecord*>(std::as_const(*this).withId(id, hint));
}

void FrameList::clear() {
    m_records.clear();
}

}  // namespace morvel
