#include "editor/frame_selection.h"

#include "editor/awaited_frame.h"
#include "editor/canvas.h"
#include "editor/compose_frame.h"
#include "editor/masks.h"
#include "editor/zoom.h"
#include "import/layer_picture.h"

namespace morvel {

namespace {

int showEmptyProject(Document& document, EditSession& session, View& view, Services& services) {
    FrameCache& cache = session.cache;
    cache.displayedIndex = -1;
    if (cache.displayedId != 0) ++cache.displayChanges;
    cache.displayedId = 0;
    cache.forgetPictures();
    services.shell.moveFrameMarker(kFrameMarkerHidden);
    auto black = Image::create(640, 480);
    if (!black) {
        services.reporter().report(ErrorKind::CreateImage, ErrorPlace::SelectFrame, 100, {}, 640,
                                   480);
        services.mustEnd = true;
        return -1;
    }
    session.images.composite = std::move(*black);
    CanvasCompositeChanged(view, Rect{0, 640, 0, 480});
    UpdateScrollBars(session, view, services);
    RedrawCanvas(document, session, view, services, -1, -1, 0, 0);
    return -1;
}

int selectFrame(Document& document, EditSession& session, View& view, Services& services, int n,
                bool mayAwait) {
    FrameList& frames = document.frames;
    FrameCache& cache = session.cache;
    if (frames.empty()) return showEmptyProject(document, session, view, services);

    if (n <= kFirstAndForget) {
        n = 0;
        cache.displayedId = 0;
    } else if (n < 0) {
        n = frames.indexOfId(cache.displayedId);
    } else {
        n = std::min(n, frames.size() - 1);
    }
    // No displayed frame to return to: show the first.
    if (n < 0) n = 0;

    const bool wasAwaited = cache.awaited;
    if (frames.at(n).id != cache.displayedId) {
        // An awaited frame's work images hold the mask of the frame left before it, stored then
        // and not edited since.
        if (!wasAwaited) StoreDisplayedMask(document, session, services);
        cache.displayedId = frames.at(n).id;
        ++cache.displayChanges;
    }
    const bool awaits = services.composeOnSelect && mayAwait &&
                        ShowStandInWhileAwaited(document, session, view, services, n);
    if (!awaits && services.composeOnSelect &&
        (ComposeFrame(document, session, view, services, 0) != 0 || wasAwaited))
        RedrawCanvas(document, session, view, services, -1, -1, 0, 0);

    services.shell.moveFrameMarker(n * kFrameColumnWidth + kFrameMarkerLeft);
    cache.displayedIndex = n;
    if (session.pictureReader && !awaits)
        session.pictureReader->frameShown(document, ViewGeometry::of(view), view.canvas.width(),
                                          view.canvas.height(), n, &session.unstoredMasks);
    return n;
}

}  // namespace

int SelectFrame(Document& document, EditSession& session, View& view, Services& services, int n) {
    return selectFrame(document, session, view, services, n, false);
}

int StepToFrame(Document& document, EditSession& session, View& view, Services& services, int n) {
    return selectFrame(document, session, view, services, n, true);
}

void RefreshFrameStrip(Document& document, EditSession& session, View& view, Services& services,
                       int n) {
    for (int i = 0; i < document.frames.size(); ++i) {
        const FrameRecord& frame = document.frames.at(i);
        for (int layer = 0; layer < 2; ++layer) {
            const GadgetHandle gadget = view.thumbnails.gadget(frame.id, layer);
            if (!frame.layerSource[layer].empty() && gadget != 0) {
                services.shell.moveThumbnailGadget(gadget, i * kFrameColumnWidth + kThumbnailLeft);
            }
        }
    }
    services.shell.setFrameStripWidth(document.frames.size() * kFrameColumnWidth + 20);
    services.shell.showFrameNumbers(document.frames.size(), kFrameColumnWidth);
    SelectFrame(document, session, view, services, n);
}

}  // namespace morvel
