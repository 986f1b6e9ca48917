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
                 int layer);
void repeatLayer(Document& document, EditSession& session, View& view, Services& services,
                 int layer, int count);

// The frame and layer row whose thumbnail gadget this is; nullptr when it is no thumbnail.
FrameRecord* findThumbnail(FrameList& frames, const FrameThumbnails& thumbnails,
                           GadgetHandle gadget, int& layer) {
    FrameId id = 0;
    if (!thumbnails.findGadget(gadget, id, layer)) return nullptr;
    const int index = frames.indexOfId(id);
    if (index < 0) return nullptr;
    frames.selectIndex(index);
    return &frames.at(index);
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
    // The drop changed the list and the current frame; the dragged frame is found by its id.
    document.frames.selectId(dragged);
    if (!document.frames.current()) return;
    DeleteLayer(document, session, view, services, layer);
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

// The frame after the current one that receives a repeated layer, made current: the next
// frame when its layer is empty, else a new frame inserted before it; a new frame at the end
// when the current one is the last.
FrameRecord& repeatTarget(FrameList& frames, int layer) {
    if (frames.index() == frames.size() - 1) return frames.add();
    frames.selectIndex(frames.index() + 1);
    if (!frames.current()->layerSource[layer].empty()) return frames.insert();
    return *frames.current();
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
    FrameRecord* frame = findThumbnail(document.frames, view.thumbnails, gadget, layer);
    if (frame) {
        switch (action) {
            case ThumbnailAction::LeftClick:
                SelectFrame(document, session, view, services, kKeepCurrent);
                break;
            case ThumbnailAction::RightClick:
                SelectFrame(document, session, view, services, kKeepCurrent);
                services.shell.showPopupMenu(screenX, screenY);
                break;
            case ThumbnailAction::DragStart:
                AsFrameOperation(document, session, [&] {
                    dragLayer(document, session, view, services, *frame, layer);
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
                 int layer) {
    AsFrameOperation(document, session,
                     [&] { deleteLayer(document, session, view, services, layer); });
}

void RepeatLayer(Document& document, EditSession& session, View& view, Services& services,
                 int layer, int count) {
    AsFrameOperation(document, session,
                     [&] { repeatLayer(document, session, view, services, layer, count); });
}

namespace {

void deleteLayer(Document& document, EditSession& session, View& view, Services& services,
                 int layer) {
    layer = layer == 0 ? 0 : 1;
    FrameList& frames = document.frames;
    FrameRecord* frame = frames.current();
    if (!frame || frame->layerSource[layer].empty()) return;

    ReleaseLayerThumbnail(view.thumbnails, services, frame->id, layer);
    frame->layerSource[layer].clear();
    const bool displayed = frames.index() == session.cache.displayedIndex;
    if (frame->layerSource[1 - layer].empty()) {
        // The mask working file stays until the project is emptied.
        frames.remove();
        RefreshFrameStrip(document, session, view, services,
                          displayed ? kFirstAndForget : kReselectDisplayed);
        return;
    }
    if (displayed && ComposeFrame(document, session, view, services, 0) != 0)
        RedrawCanvas(document, session, view, services, -1, -1, 0, 0);
}

void repeatLayer(Document& document, EditSession& session, View& view, Services& services,
                 int layer, int count) {
    layer = layer == 0 ? 0 : 1;
    FrameList& frames = document.frames;
    const FrameRecord* source = frames.current();
    // An empty layer has nothing to repeat: no frame is added and nothing is reported.
    if (source && !source->layerSource[layer].empty()) {
        for (int i = 0; i < count; ++i) {
            FrameRecord& target = repeatTarget(frames, layer);
            target.layerSource[layer] = source->layerSource[layer];
            const FrameThumbnails::Entry* shown = view.thumbnails.find(source->id);
            std::optional<Image> thumbnail = copyOf(shown ? shown->picture[layer] : Image());
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
    SelectFrame(document, session, view, services, kKeepCurrent);
    RefreshFrameStrip(document, session, view, services, kReselectDisplayed);
}

}  // namespace

}  // namespace morvel
