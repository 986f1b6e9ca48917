#include "editor/whole_frames.h"

#include <algorithm>

#include "editor/frame_history.h"
#include "editor/frame_selection.h"
#include "editor/masks.h"
#include "import/thumbnail.h"
#include "platform/files.h"

namespace morvel {

namespace {

// The frame's record may go: its mask is in its working file, and the work images no longer
// claim to show it.
void letGoOfDisplayed(Document& document, EditSession& session, Services& services, FrameId id) {
    StoreDisplayedMask(document, session, services);
    if (id == session.cache.displayedId) session.cache.forgetDisplayedFrame();
}

}  // namespace

void DeleteFrame(Document& document, EditSession& session, View& view, Services& services,
                 FrameId frame) {
    const int index = document.frames.indexOfId(frame);
    if (index < 0) return;
    AsFrameOperation(document, session, [&] {
        letGoOfDisplayed(document, session, services, frame);
        for (int layer = 0; layer < 2; ++layer)
            ReleaseLayerThumbnail(view.thumbnails, services, frame, layer);
        // The mask's working file stays: undo brings the frame back with it.
        document.frames.removeAt(index);
        RefreshFrameStrip(document, session, view, services,
                          std::min(index, document.frames.size() - 1));
    });
}

void DuplicateFrame(Document& document, EditSession& session, View& view, Services& services,
                    FrameId frame) {
    const int index = document.frames.indexOfId(frame);
    if (index < 0) return;
    AsFrameOperation(document, session, [&] {
        StoreDisplayedMask(document, session, services);
        const FrameRecord& source = document.frames.at(index);
        FrameRecord& copy = document.frames.insertAt(index + 1);
        copy.layerSource = source.layerSource;
        if (source.maskNumber != 0) {
            const std::string from = document.masks.workingFile(source.maskNumber);
            const std::int32_t number = document.masks.nextNumber++;
            const auto kept = session.unstoredMasks.find(source.maskNumber);
            if (kept != session.unstoredMasks.end()) {
                // Its file is out of date: the copy shares the picture kept in memory.
                session.unstoredMasks.insert_or_assign(number, kept->second);
                copy.maskNumber = number;
            } else if (CopyFileBytes(from, document.masks.workingFile(number))) {
                copy.maskNumber = number;
            } else {
                services.reporter().report(ErrorKind::SaveImage, ErrorPlace::StoreMask, 300,
                                           document.masks.workingFile(number));
            }
        }
        for (int layer = 0; layer < 2; ++layer) {
            Image picture = CopyOfLayerThumbnail(view.thumbnails, services, source, layer);
            if (!picture.empty())
                AttachThumbnailImage(view.thumbnails, services, copy, layer, std::move(picture));
        }
        RefreshFrameStrip(document, session, view, services, index + 1);
    });
}

void InsertEmptyFrame(Document& document, EditSession& session, View& view, Services& services,
                      FrameId frame) {
    const int index = document.frames.indexOfId(frame);
    if (index < 0 && !document.frames.empty()) return;
    AsFrameOperation(document, session, [&] {
        document.frames.insertAt(index + 1);
        RefreshFrameStrip(document, session, view, services, index + 1);
    });
}

}  // namespace morvel
