#include "import/frame_thumbnails.h"

namespace morvel {

const FrameThumbnails::Entry* FrameThumbnails::find(FrameId id) const {
    const auto it = m_entries.find(id);
    return it == m_entries.end() ? nullptr : &it->second;
}

GadgetHandle FrameThumbnails::gadget(FrameId id, int layer) const {
    const Entry* entry = find(id);
    return entry ? entry->gadget[layer] : 0;
}

bool FrameThumbnails::findGadget(GadgetHandle gadget, FrameId& id, int& layer) const {
    if (gadget == 0) return false;
    for (const auto& [frame, entry] : m_entries) {
        for (int l = 0; l < 2; ++l) {
            if (entry.gadget[l] == gadget) {
                id = frame;
                layer = l;
                return true;
            }
        }
    }
    return false;
}

void FrameThumbnails::forget(FrameId id, int layer) {
    const auto it = m_entries.find(id);
    if (it == m_entries.end()) return;
    Entry& entry = it->second;
    entry.picture[layer] = Image();
    entry.gadget[layer] = 0;
    if (entry.gadget[1 - layer] == 0 && entry.picture[1 - layer].empty()) m_entries.erase(it);
}

}  // namespace morvel
