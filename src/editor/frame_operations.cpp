#include "editor/frame_operations.h"

#include <algorithm>
#include <new>

#include "editor/canvas.h"
#include "editor/compose_frame.h"
#include "editor/frame_history.h"
#include "editor/frame_selection.h"
#include "editor/undo_history.h"
#include "import/frame_import.h"
#include "import/thumbnail.h"

namespace morvel {

namespace {

void deleteLayer(Document& document, EditSession& session, View& view, Services& services,
                 FrameId frame, int layer);
void repeatLayer(Document& document, EditSession& session, View& view, Services& services,
                 FrameId frame, int layer, int count);

// The position of the frame and the layer row whose thumbnail gadget this is; -1 when it is no
// thumbnail.
int findThumbnail(const FrameList& frames, const FrameThumbnails& thumbnails, GadgetHandle gadget,
                  int& layer) {
    FrameId id = 0;
    if (!thumbnails.findGadget(gadget, id, layer)) return -1;
    return frames.indexOfId(id);
}

// Drags the thumbnail's layer. The drop (on the strip, during the drag) imports the payload;
// a move then takes the layer out of its frame, but only when the drop added it somewhere: a
// payload that is no file (a video frame) or a drop that was refused must not lose the layer.
void dragLayer(Document& document, EditSession& session, View& view, Services& services,
               const FrameRecord& frame, int layer) {
    const FrameId dragged = frame.id;
    view.dragPayload = frame.layerSource[layer];
    view.droppedLayers = 0;
    const FrameThumbnails::Entry* shown = view.thumbnails.find(dragged);
    const DropAction action = services.shell.dragThumbnail(shown ? shown->picture[layer] : Image());
    view.dragPayload.clear();
    if (action != DropAction::Move || view.droppedLayers == 0) return;
    // The drop changed the list; the dragged frame is found by its id.
    DeleteLayer(document, session, view, services, dragged, layer);
}

// A copy of the thumbnail, or nothing when the memory cannot be had.
std::optional<Image> copyOf(const Image& image) {
    if (image.empty()) return std::nullopt;
    try {
        return image;
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
}

// The position of the frame after position that receives a repeated layer: the next frame when
// its layer is empty, else a new frame inserted before it; a new frame at the end when position
// is the last.
int repeatTarget(FrameList& frames, int layer, int position) {
    ++position;
    if (position == frames.size()) {
        frames.append();
    } else if (!frames.at(position).layerSource[layer].empty()) {
        frames.insertAt(position);
    }
    return position;
}

}  // namespace

int ImportDroppedFiles(Document& document, EditSession& session, View& view, Services& services,
                       int layer, const std::string& fileList, int stripX) {
    BeginFrameOperation(document, session);
    layer = layer == 0 ? 0 : 1;
    // Left of the strip's content counts as its first column, never as a special selection.
    const int column = std::max(stripX, 0) / kFrameColumnWidth;
    const int filled = ImportFileList(document, view.thumbnails, services, layer, fileList, column);
    view.popupTargetLayer = layer;
    view.droppedLayers = filled;
    RefreshFrameStrip(document, session, view, services, column);
    EndFrameOperation(document, session);
    return filled;
}

void ThumbnailEvent(Document& document, EditSession& session, View& view, Services& services,
                    GadgetHandle gadget, ThumbnailAction action, int screenX, int screenY) {
    int layer = 0;
    const int index = findThumbnail(document.frames, view.thumbnails, gadget, layer);
    if (index >= 0) {
        switch (action) {
            case ThumbnailAction::LeftClick:
                SelectFrame(document, session, view, services, index);
                break;
            case ThumbnailAction::RightClick:
                SelectFrame(document, session, view, services, index);
                services.shell.showPopupMenu(screenX, screenY);
                break;
            case ThumbnailAction::DragStart:
                AsFrameOperation(document, session, [&] {
                    dragLayer(document, session, view, services, document.frames.at(index), layer);
                });
                break;
            case ThumbnailAction::Other:
                break;
        }
        view.popupTargetLayer = layer;
    }
    SelectFrame(document, session, view, services, kReselectDisplayed);
}

void DeleteLayer(Document& document, EditSession& session, View& view, Services& services,
                 FrameId frame, int layer) {
    AsFrameOperation(document, session,
                     [&] { deleteLayer(document, session, view, services, frame, layer); });
}

void RepeatLayer(Document& document, EditSession& session, View& view, Services& services,
                 FrameId frame, int layer, int count) {
    AsFrameOperation(document, session,
                     [&] { repeatLayer(document, session, view, services, frame, layer, count); });
}

namespace {

void deleteLayer(Document& document, EditSession& session, View& view, Services& services,
                 FrameId id, int layer) {
    layer = layer == 0 ? 0 : 1;
    FrameList& frames = document.frames;
    const int index = frames.indexOfId(id);
    if (index < 0 || frames.at(index).layerSource[layer].empty()) return;
    FrameRecord* frame = &frames.at(index);

    ReleaseLayerThumbnail(view.thumbnails, services, frame->id, layer);
    frame->layerSource[layer].clear();
    const bool displayed = frame->id == session.cache.displayedId;
    if (frame->layerSource[1 - layer].empty()) {
        // The mask working file stays until the project is emptied.
        frames.removeAt(index);
        RefreshFrameStrip(document, session, view, services,
                          displayed ? kFirstAndForget : kReselectDisplayed);
        return;
    }
    if (displayed && ComposeFrame(document, session, view, services, 0) != 0)
        RedrawCanvas(document, session, view, services, -1, -1, 0, 0);
}

void repeatLayer(Document& document, EditSession& session, View& view, Services& services,
                 FrameId id, int layer, int count) {
    layer = layer == 0 ? 0 : 1;
    FrameList& frames = document.frames;
    int position = frames.indexOfId(id);
    if (position < 0) return;
    const FrameRecord* source = &frames.at(position);
    // An empty layer has nothing to repeat: no frame is added and nothing is reported.
    if (!source->layerSource[layer].empty()) {
        for (int i = 0; i < count; ++i) {
            position = repeatTarget(frames, layer, position);
            FrameRecord& target = frames.at(position);
            target.layerSource[layer] = source->layerSource[layer];
            const FrameThumbnails::Entry* shown = view.thumbnails.find(source->id);
            std::optional<Image> thumbnail = copyOf(shown ? shown->picture[layer] : Image());
            if (!shown || shown->picture[layer].empty()) {
                // Not made yet (a long film still being opened): made now.
                Image made = CopyOfLayerThumbnail(view.thumbnails, services, *source, layer);
                if (!made.empty()) thumbnail = std::move(made);
            }
            if (thumbnail) {
                AttachThumbnailImage(view.thumbnails, services, target, layer,
                                     std::move(*thumbnail));
            } else {
                services.reporter().report(ErrorKind::CreateImage, ErrorPlace::AboutBoxOrRepeat,
                                           layer + 1, {}, 0, 0);
                target.layerSource[layer].clear();
            }
        }
    }
    // The last frame that received the layer is shown.
    SelectFrame(document, session, view, services, position);
    RefreshFrameStrip(document, session, view, services, kReselectDisplayed);
}

}  // namespace

}  // namespace morvel
