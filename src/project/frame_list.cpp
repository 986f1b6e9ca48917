#include "project/frame_list.h"

#include <utility>

namespace morvel {

FrameRecord* FrameList::next() {
    if (m_cursor + 1 >= size()) return nullptr;
    ++m_cursor;
    return m_records[m_cursor].get();
}

void FrameList::selectIndex(int i) {
    m_cursor = (i >= 0 && i < size()) ? i : -1;
}

FrameRecord& FrameList::add() {
    const int position = m_cursor < 0 ? 0 : m_cursor + 1;
    m_records.insert(m_records.begin() + position, std::make_unique<FrameRecord>());
    m_records[position]->id = ++m_lastId;
    m_cursor = position;
    return *m_records[position];
}

FrameRecord& FrameList::insert() {
    const int position = m_cursor < 0 ? 0 : m_cursor;
    m_records.insert(m_records.begin() + position, std::make_unique<FrameRecord>());
    m_records[position]->id = ++m_lastId;
    m_cursor = position;
    return *m_records[position];
}

void FrameList::remove() {
    if (m_cursor < 0) return;
    m_records.erase(m_records.begin() + m_cursor);
    if (m_cursor > 0) {
        --m_cursor;
    } else if (empty()) {
        m_cursor = -1;
    }  // the first was removed: the following record now has index 0
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
    m_cursor = -1;
}

}  // namespace morvel
