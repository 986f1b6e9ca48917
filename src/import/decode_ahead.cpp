#include "import/decode_ahead.h"


#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <set>
#include <utility>

#include "import/avi_frames.h"
#include "platform/file_stamp.h"
#include "platform/picture_io.h"

namespace morvel {

namespace {

}  // namespace

struct DecodeAhead::Slot {
    enum class Stage { Waiting, Decoding, Done, Dropped };
    std::mutex mutex;
    std::condition_variable done;
    Stage stage = Stage::Waiting;
    FileStamp stamp;
    Image picture;
    bool ok = false;
};

DecodeAhead::DecodeAhead() = default;

DecodeAhead::~DecodeAhead() {
    for (auto& [source, slot] : m_slots) {
        std::lock_guard lock(slot->mutex);
        if (slot->stage == Slot::Stage::Waiting) slot->stage = Slot::Stage::Dropped;
    }
}

void DecodeAhead::frameShown(const ProgramState& state, int index) {
    const FrameList& frames = state.frames;
    std::set<std::string> shown;
    std::vector<std::string> wanted;  // the next frame's first: steps forward are the most usual
    const auto sourcesOf = [&](int i, const auto& take) {
        if (i < 0 || i >= frames.size()) return;
        const FrameRecord& frame = frames.at(i);
        for (const std::string& source : frame.layerSource) {
            if (!source.empty() && !IsAviReference(source)) take(source);
        }
        if (frame.maskNumber != 0) take(state.maskWorkingFile(frame.maskNumber));
    };
    sourcesOf(index, [&](const std::string& source) { shown.insert(source); });
    for (int i : {index + 1, index - 1}) {
        sourcesOf(i, [&](const std::string& source) {
            if (!shown.contains(source)) wanted.push_back(source);
        });
    }
    for (auto it = m_slots.begin(); it != m_slots.end();) {
        if (std::find(wanted.begin(), wanted.end(), it->first) != wanted.end()) {
            ++it;
            continue;
        }
        {
            std::lock_guard lock(it->second->mutex);
            if (it->second->stage == Slot::Stage::Waiting) it->second->stage = Slot::Stage::Dropped;
        }
        it = m_slots.erase(it);
    }
    for (const std::string& source : wanted) {
        if (m_slots.contains(source)) continue;
        auto slot = std::make_shared<Slot>();
        m_slots.emplace(source, slot);
        m_queue.post([slot, source] {
            {
                std::lock_guard lock(slot->mutex);
                if (slot->stage != Slot::Stage::Waiting) return;
                slot->stage = Slot::Stage::Decoding;
            }
            const FileStamp stamp = StampOf(source);
            Image picture;
            bool ok = false;
            try {
                ok = LoadPictureFile(source, picture) == LoadResult::Ok && !picture.empty();
            } catch (...) {  // memory that could not be had: read it when it is asked for
            }
            {
                std::lock_guard lock(slot->mutex);
                slot->stamp = stamp;
                slot->picture = std::move(picture);
                slot->ok = ok;
                slot->stage = Slot::Stage::Done;
            }
            slot->done.notify_all();
        });
    }
}

bool DecodeAhead::read(ProgramState& state, const std::string& layerSource, Image& picture) {
    const auto it = m_slots.find(layerSource);
    if (it != m_slots.end()) {
        const std::shared_ptr<Slot> slot = it->second;
        m_slots.erase(it);
        std::unique_lock lock(slot->mutex);
        if (slot->stage == Slot::Stage::Waiting) {
            // Not started: reading it here is quicker than waiting for the pictures before it.
            slot->stage = Slot::Stage::Dropped;
        } else {
            slot->done.wait(lock, [&] { return slot->stage == Slot::Stage::Done; });
            if (slot->ok && slot->stamp == StampOf(layerSource)) {
                picture = std::move(slot->picture);
                return true;
            }
        }
    }
    return ReadLayerPictureNow(state, picture, layerSource);
}

}  // namespace morvel
