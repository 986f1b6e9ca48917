#include "editor/awaited_frame.h"

#include <cstring>

#include "editor/canvas.h"
#include "editor/canvas_film.h"
#include "editor/compose_frame.h"
#include "editor/frame_selection.h"
#include "editor/playback_cache.h"
#include "editor/view_picture.h"
#include "import/layer_picture.h"

namespace morvel {

namespace {

// The canvas-sized picture the playback cache holds of frame index in the view of the moment.
// Only where the canvas shows the composite alone: the cache holds no takes, tints or onion skin.
bool standIn(const Document& document, const EditSession& session, const View& view, int index,
             Image& out) {
    if (!session.playbackCache || !CanvasShowsComposite(view) || view.onionSkin) return false;
    const FrameFiles files = FilesOf(document, document.frames.at(index), &session.unstoredMasks);
    return session.playbackCache->take(index, files, FilmViewOf(session, view), out) &&
           out.width() == view.canvas.width() && out.height() == view.canvas.height();
}

void tellShown(const Document& document, EditSession& session, const View& view, int index,
               const FrameFiles& held) {
    session.pictureReader->frameShown(document, ViewGeometry::of(view), view.canvas.width(),
                                      view.canvas.height(), index, held, &session.unstoredMasks);
}

}  // namespace

FrameFiles HeldFiles(const Document& document, const EditSession& session) {
    const FrameCache& cache = session.cache;
    FrameFiles held;
    for (int layer = 0; layer < 2; ++layer)
        if (!cache.layerFailed[layer]) held.layers[layer] = cache.layerSource[layer];
    if (cache.maskNumber != 0 && !cache.maskFailed) {
        held.mask = document.masks.workingFile(cache.maskNumber);
        if (const auto kept = session.unstoredMasks.find(cache.maskNumber);
            kept != session.unstoredMasks.end())
            held.maskInMemory = kept->second;
    }
    return held;
}

FrameFiles FilesToLoad(const Document& document, const EditSession& session,
                       const FrameRecord& frame) {
    const FrameCache& cache = session.cache;
    FrameFiles files = FilesOf(document, frame, &session.unstoredMasks);
    for (int layer = 0; layer < 2; ++layer)
        if (frame.layerSource[layer] == cache.layerSource[layer]) files.layers[layer].clear();
    // A mask kept in memory (its file could not be written) is not read either.
    if (frame.maskNumber == cache.maskNumber || session.unstoredMasks.contains(frame.maskNumber))
        files.mask.clear();
    return files;
}

bool ShowStandInWhileAwaited(Document& document, EditSession& session, View& view,
                             Services& services, int index) {
    LayerPictureReader* reader = session.pictureReader;
    if (!reader || index < 0 || index >= document.frames.size()) return false;
    // The reader hears first, so that it makes this frame's pictures before the neighbours'.
    tellShown(document, session, view, index, HeldFiles(document, session));
    if (reader->readyFor(FilesToLoad(document, session, document.frames.at(index)))) return false;
    Image picture;
    if (!standIn(document, session, view, index, picture)) return false;
    Image& canvas = view.canvas;
    std::memcpy(canvas.data(), picture.data(),
                canvas.stride() * static_cast<std::size_t>(canvas.height()));
    // The canvas no longer shows the composite: the next redraw draws all of it.
    InvalidateCanvas(view);
    view.canvasCache.aheadCanvas = Image();
    services.shell.presentCanvas(0, 0, canvas.width(), canvas.height());
    session.cache.awaited = true;
    return true;
}

bool FinishAwaitedFrame(Document& document, EditSession& session, View& view, Services& services,
                        bool wait) {
    FrameCache& cache = session.cache;
    if (!cache.awaited) return true;
    const FrameRecord* frame = DisplayedFrame(document, session);
    LayerPictureReader* reader = session.pictureReader;
    if (!wait && frame && reader && !reader->readyFor(FilesToLoad(document, session, *frame)))
        return false;
    ComposeFrame(document, session, view, services, 0);  // no longer awaited
    RedrawCanvas(document, session, view, services, -1, -1, 0, 0);
    if (reader && cache.displayedIndex >= 0)
        reader->frameShown(document, ViewGeometry::of(view), view.canvas.width(),
                           view.canvas.height(), cache.displayedIndex, &session.unstoredMasks);
    return true;
}

}  // namespace morvel
