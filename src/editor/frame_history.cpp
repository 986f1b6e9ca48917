#include "editor/frame_history.h"

#include <algorithm>

#include "editor/masks.h"
#include "editor/undo_history.h"
#include "import/thumbnail.h"
#include "import/thumbnail_loader.h"

namespace morvel {

namespace {

FrameEntry entryOf(const FrameRecord& frame) {
    return {frame.id, frame.layerSource, frame.maskNumber};
}

std::vector<FrameEntry> entriesOf(const FrameList& frames) {
    std::vector<FrameEntry> entries(static_cast<std::size_t>(frames.size()));
    for (int i = 0; i < frames.size(); ++i)
        entries[static_cast<std::size_t>(i)] = entryOf(frames.at(i));
    return entries;
}

std::size_t bytesOf(const std::vector<FrameEntry>& entries) {
    std::size_t bytes = 0;
    for (const FrameEntry& entry : entries)
        bytes += sizeof(FrameEntry) + entry.layerSource[0].size() + entry.layerSource[1].size();
    return bytes;
}

// Adds what changed in the frame list since the last command of the operation under way as a
// command of its own.
void recordFrameChange(Document& document, EditSession& session) {
    EditHistory& history = session.history;
    const std::vector<FrameEntry>& before = history.framesBefore;
    const int count = document.frames.size();
    // Only the frames between the unchanged start and the unchanged end are kept.
    std::size_t first = 0;
    while (first < before.size() && static_cast<int>(first) < count &&
           before[first] == entryOf(document.frames.at(static_cast<int>(first))))
        ++first;
    if (first == before.size() && static_cast<int>(first) == count) return;  // nothing changed
    std::vector<FrameEntry> after = entriesOf(document.frames);
    std::size_t end = 0;
    while (end < before.size() - first && end < after.size() - first &&
           before[before.size() - 1 - end] == after[after.size() - 1 - end])
        ++end;
    history.operation.add(std::make_unique<FramesCommand>(
        static_cast<int>(first),
        std::vector<FrameEntry>(before.begin() + static_cast<long>(first),
                                before.end() - static_cast<long>(end)),
        std::vector<FrameEntry>(after.begin() + static_cast<long>(first),
                                after.end() - static_cast<long>(end))));
    history.framesBefore = std::move(after);
}

}  // namespace

FramesCommand::FramesCommand(int first, std::vector<FrameEntry> before,
                             std::vector<FrameEntry> after)
    : m_first(first), m_before(std::move(before)), m_after(std::move(after)) {
    m_bytes = sizeof(FramesCommand) + bytesOf(m_before) + bytesOf(m_after);
}

CommandResult FramesCommand::apply(Document& document, EditSession& session, View& view,
                                   Services& services, UndoDirection direction,
                                   StepEffects& effects) const {
    const bool undo = direction == UndoDirection::Undo;
    const std::vector<FrameEntry>& present = undo ? m_after : m_before;
    const std::vector<FrameEntry>& wanted = undo ? m_before : m_after;
    FrameList& frames = document.frames;
    const int first = m_first;
    if (first < 0 || first + static_cast<int>(present.size()) > frames.size())
        return CommandResult::Stale;
    for (std::size_t k = 0; k < present.size(); ++k) {
        if (frames.at(first + static_cast<int>(k)).id != present[k].id) return CommandResult::Stale;
    }
    // The displayed frame's mask goes to its working file before its record may go.
    StoreDisplayedMask(document, session, services);
    if (effects.firstChangedFrame < 0) {
        effects.displayedBefore = session.cache.displayedId;
        effects.firstChangedFrame = first;
    }
    effects.firstChangedFrame = std::min(effects.firstChangedFrame, first);
    for (std::size_t k = 0; k < present.size(); ++k) {
        FrameRecord& frame = frames.at(first);
        if (frame.id == session.cache.displayedId) session.cache.forgetDisplayedFrame();
        for (int layer = 0; layer < 2; ++layer)
            ReleaseLayerThumbnail(view.thumbnails, services, frame.id, layer);
        frames.removeAt(first);
    }
    std::vector<std::string> sources;
    for (const FrameEntry& entry : wanted)
        for (const std::string& source : entry.layerSource)
            if (!source.empty()) sources.push_back(source);
    ThumbnailLoader loader(services.makeThumbnails ? sources : std::vector<std::string>());
    std::size_t next = 0;
    for (std::size_t k = 0; k < wanted.size(); ++k) {
        const int position = first + static_cast<int>(k);
        FrameRecord* frame = &frames.insertAt(std::min(position, frames.size()));
        frame->id = wanted[k].id;
        frame->layerSource = wanted[k].layerSource;
        frame->maskNumber = wanted[k].maskNumber;
        for (int layer = 0; layer < 2; ++layer) {
            if (frame->layerSource[layer].empty() || !services.makeThumbnails) continue;
            DecodedThumbnail decoded = loader.take(next++);
            // A picture that cannot be read any more keeps its place, with a black thumbnail.
            auto thumbnail = decoded.thumbnail ? std::move(decoded.thumbnail)
                                               : Image::create(kThumbnailWidth, kThumbnailHeight);
            if (thumbnail)
                AttachThumbnailImage(view.thumbnails, services, *frame, layer,
                                     std::move(*thumbnail));
        }
    }
    return CommandResult::Done;
}

void BeginFrameOperation(Document& document, EditSession& session) {
    EditHistory& history = session.history;
    if (history.frameOperationDepth++ > 0) {
        // What the enclosing operation changed so far is a command of its own.
        recordFrameChange(document, session);
        return;
    }
    history.framesBefore = entriesOf(document.frames);
    history.operation = EditTransaction{};
}

void EndFrameOperation(Document& document, EditSession& session) {
    EditHistory& history = session.history;
    if (history.frameOperationDepth == 0) return;
    recordFrameChange(document, session);
    if (--history.frameOperationDepth > 0) return;
    history.framesBefore.clear();
    EditTransaction step = std::move(history.operation);
    history.operation = EditTransaction{};
    if (step.empty()) return;
    EndMaskEdit(document, session);
    PushUndoStep(session, std::move(step));
}

}  // namespace morvel
