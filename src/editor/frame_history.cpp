#include "editor/frame_history.h"

#include <algorithm>

#include "editor/frame_selection.h"
#include "editor/masks.h"
#include "editor/undo_history.h"
#include "import/thumbnail.h"
#include "import/thumbnail_loader.h"

namespace morvel {

namespace {

std::vector<FrameEntry> entriesOf(const FrameList& frames) {
    std::vector<FrameEntry> entries(static_cast<std::size_t>(frames.size()));
    for (int i = 0; i < frames.size(); ++i) {
        const FrameRecord& frame = frames.at(i);
        entries[static_cast<std::size_t>(i)] = {frame.id, frame.layerSource, frame.maskNumber};
    }
    return entries;
}

std::size_t bytesOf(const std::vector<FrameEntry>& entries) {
    std::size_t bytes = 0;
    for (const FrameEntry& entry : entries)
        bytes += sizeof(FrameEntry) + entry.layerSource[0].size() + entry.layerSource[1].size();
    return bytes;
}

}  // namespace

void BeginFrameOperation(ProgramState& state) {
    MaskHistory& history = state.maskHistory;
    if (history.frameOperationDepth++ == 0) history.framesBefore = entriesOf(state.document.frames);
}

void EndFrameOperation(ProgramState& state) {
    MaskHistory& history = state.maskHistory;
    if (history.frameOperationDepth == 0 || --history.frameOperationDepth > 0) return;
    const std::vector<FrameEntry> before = std::move(history.framesBefore);
    history.framesBefore.clear();
    const int count = state.document.frames.size();
    // Only the frames between the unchanged start and the unchanged end are kept.
    std::size_t first = 0;
    while (first < before.size() && static_cast<int>(first) < count &&
           before[first] == FrameEntry{state.document.frames.at(static_cast<int>(first)).id,
                                       state.document.frames.at(static_cast<int>(first)).layerSource,
                                       state.document.frames.at(static_cast<int>(first)).maskNumber})
        ++first;
    if (first == before.size() && static_cast<int>(first) == count) return;  // nothing changed
    std::vector<FrameEntry> after = entriesOf(state.document.frames);
    std::size_t end = 0;
    while (end < before.size() - first && end < after.size() - first &&
           before[before.size() - 1 - end] == after[after.size() - 1 - end])
        ++end;
    auto change = std::make_shared<FrameListChange>();
    change->first = static_cast<int>(first);
    change->before.assign(before.begin() + static_cast<long>(first),
                          before.end() - static_cast<long>(end));
    change->after.assign(after.begin() + static_cast<long>(first),
                         after.end() - static_cast<long>(end));
    EndMaskEdit(state);
    MaskEditStep step;
    step.bytes = sizeof(MaskEditStep) + sizeof(FrameListChange) + bytesOf(change->before) +
                 bytesOf(change->after);
    step.frames = std::move(change);
    PushUndoStep(state, std::move(step));
}

bool ApplyFrameChange(ProgramState& state, const FrameListChange& change, bool undo) {
    const std::vector<FrameEntry>& present = undo ? change.after : change.before;
    const std::vector<FrameEntry>& wanted = undo ? change.before : change.after;
    FrameList& frames = state.document.frames;
    const int first = change.first;
    if (first < 0 || first + static_cast<int>(present.size()) > frames.size()) return false;
    for (std::size_t k = 0; k < present.size(); ++k) {
        if (frames.at(first + static_cast<int>(k)).id != present[k].id) return false;
    }
    // The displayed frame's mask goes to its working file before its record may go.
    StoreDisplayedMask(state);
    const std::uint64_t displayed = state.cache.displayedFrame ? state.cache.displayedFrame->id : 0;
    for (std::size_t k = 0; k < present.size(); ++k) {
        frames.selectIndex(first);
        FrameRecord& frame = *frames.current();
        if (&frame == state.cache.displayedFrame) {
            state.cache.displayedFrame = nullptr;
            state.cache.displayedIndex = -1;
            state.cache.maskModified = false;
            state.cache.forgetPictures();
        }
        for (int layer = 0; layer < 2; ++layer) ReleaseLayerThumbnail(state, frame, layer);
        frames.remove();
    }
    std::vector<std::string> sources;
    for (const FrameEntry& entry : wanted)
        for (const std::string& source : entry.layerSource)
            if (!source.empty()) sources.push_back(source);
    ThumbnailLoader loader(state.makeThumbnails ? sources : std::vector<std::string>());
    std::size_t next = 0;
    for (std::size_t k = 0; k < wanted.size(); ++k) {
        const int position = first + static_cast<int>(k);
        FrameRecord* frame = nullptr;
        if (position < frames.size()) {
            frames.selectIndex(position);
            frame = &frames.insert();
        } else {
            frames.last();
            frame = &frames.add();
        }
        frame->id = wanted[k].id;
        frame->layerSource = wanted[k].layerSource;
        frame->maskNumber = wanted[k].maskNumber;
        for (int layer = 0; layer < 2; ++layer) {
            if (frame->layerSource[layer].empty() || !state.makeThumbnails) continue;
            DecodedThumbnail decoded = loader.take(next++);
            // A picture that cannot be read any more keeps its place, with a black thumbnail.
            auto thumbnail = decoded.thumbnail ? std::move(decoded.thumbnail)
                                               : Image::create(kThumbnailWidth, kThumbnailHeight);
            if (thumbnail) AttachThumbnailImage(state, *frame, layer, std::move(*thumbnail));
        }
    }
    const int shown = frames.indexOfId(displayed);
    const int last = frames.size() - 1;
    RefreshFrameStrip(state, shown >= 0 ? shown : std::min(first, last));
    return true;
}

}  // namespace morvel
