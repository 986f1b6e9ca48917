#include "editor/awaited_frame.h"

#include <cstring>

#include "editor/canvas.h"
#include "editor/canvas_film.h"
#include "editor/compose_frame.h"
#include "editor/frame_selection.h"
#include "editor/onion_skin.h"
#include "editor/playback_cache.h"
#include "editor/quick_stand_in.h"
#include "editor/view_picture.h"
#include "import/layer_picture.h"

namespace morvel {

namespace {

// The canvas-sized picture the playback cache holds of frame index in the view of the moment,
// with the onion skin laid over it when it is on (the frame before from the cache too). Only
// where the canvas shows the composite: the cache holds no takes or tints.
bool cachedStandIn(const Document& document, const EditSession& session, const View& view,
                   int index, Image& out) {
    if (!session.playbackCache) return false;
    const FilmView filmView = FilmViewOf(session, view);
    const auto take = [&](int k, Image& picture) {
        const FrameFiles files = FilesOf(document, document.frames.at(k), &session.unstoredMasks);
        return session.playbackCache->take(k, files, filmView, picture) &&
               picture.width() == view.canvas.width() && picture.height() == view.canvas.height();
    };
    if (!take(index, out)) return false;
    if (!view.onionSkin || index == 0) return true;
    Image before;
    if (!take(index - 1, before)) return false;
    BlendOnionSkin(before, out, 0, 0, out.width(), out.height());
    return true;
}

void present(View& view, Services& services, const Image& picture) {
    Image& canvas = view.canvas;
    if (picture.width() != canvas.width() || picture.height() != canvas.height()) return;
    std::memcpy(canvas.data(), picture.data(),
                canvas.stride() * static_cast<std::size_t>(canvas.height()));
    // The canvas no longer shows the composite: the next redraw draws all of it.
    InvalidateCanvas(view);
    view.canvasCache.aheadCanvas = Image();
    services.shell.presentCanvas(0, 0, canvas.width(), canvas.height());
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
    if (session.quickStandIn) session.quickStandIn->cancel();
    const FrameFiles toLoad = FilesToLoad(document, session, document.frames.at(index));
    const bool loads =
        !toLoad.layers[0].empty() || !toLoad.layers[1].empty() || !toLoad.mask.empty();
    // A step that stays on the frame the work images hold composes nothing: it is quick.
    if (!CanvasShowsComposite(view) || view.canvas.empty() || (!loads && !session.cache.awaited))
        return false;
    // The cache's picture shows at once even when the pictures are ready: composing and scaling
    // a large frame takes longer than a step may.
    Image picture;
    if (cachedStandIn(document, session, view, index, picture)) {
        present(view, services, picture);
        session.cache.awaited = true;
        return true;
    }
    // The quick stand-in has no onion skin: the frame before would have to be made as well.
    if (view.onionSkin || !session.quickStandIn || reader->readyFor(toLoad)) return false;
    // Nothing to show yet: the frame before stays on the canvas until the quick stand-in or the
    // frame itself is there.
    session.quickStandIn->request(
        index, FilesOf(document, document.frames.at(index), &session.unstoredMasks),
        FilmViewOf(session, view));
    session.cache.awaited = true;
    return true;
}

bool PresentQuickStandIn(const Document& document, EditSession& session, View& view,
                         Services& services) {
    const FrameRecord* frame = DisplayedFrame(document, session);
    Image picture;
    if (!session.cache.awaited || !frame || !session.quickStandIn ||
        !session.quickStandIn->take(session.cache.displayedIndex,
                                    FilesOf(document, *frame, &session.unstoredMasks),
                                    FilmViewOf(session, view), picture))
        return false;
    present(view, services, picture);
    return true;
}

bool FinishAwaitedFrame(Document& document, EditSession& session, View& view, Services& services,
                        bool wait) {
    FrameCache& cache = session.cache;
    if (!cache.awaited) return true;
    const FrameRecord* frame = DisplayedFrame(document, session);
    LayerPictureReader* reader = session.pictureReader;
    if (!wait && frame && reader && !reader->readyFor(FilesToLoad(document, session, *frame))) {
        PresentQuickStandIn(document, session, view, services);
        return false;
    }
    if (session.quickStandIn) session.quickStandIn->cancel();
    ComposeFrame(document, session, view, services, 0);  // no longer awaited
    RedrawCanvas(document, session, view, services, -1, -1, 0, 0);
    if (reader && cache.displayedIndex >= 0)
        reader->frameShown(document, ViewGeometry::of(view), view.canvas.width(),
                           view.canvas.height(), cache.displayedIndex, &session.unstoredMasks);
    return true;
}

}  // namespace morvel
