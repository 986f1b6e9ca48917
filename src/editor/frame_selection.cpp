#include "editor/frame_selection.h"

#include "editor/canvas.h"
#include "editor/compose_frame.h"
#include "editor/masks.h"
#include "editor/zoom.h"
#include "import/layer_picture.h"

namespace morvel {

namespace {

int showEmptyProject(ProgramState& state) {
    FrameCache& cache = state.cache;
    cache.displayedIndex = -1;
    if (cache.displayedId != 0) ++cache.displayChanges;
    cache.displayedId = 0;
    cache.forgetPictures();
    state.shell.moveFrameMarker(kFrameMarkerHidden);
    auto black = Image::create(640, 480);
    if (!black) {
        state.reporter().report(ErrorKind::CreateImage, ErrorPlace::SelectFrame, 100, {}, 640, 480);
        state.mustEnd = true;
        return -1;
    }
    state.images.composite = std::move(*black);
    CanvasCompositeChanged(state, Rect{0, 640, 0, 480});
    UpdateScrollBars(state);
    RedrawCanvas(state, -1, -1, 0, 0);
    return -1;
}

}  // namespace

int SelectFrame(ProgramState& state, int n) {
    FrameList& frames = state.document.frames;
    FrameCache& cache = state.cache;
    if (frames.empty()) return showEmptyProject(state);

    if (n <= kFirstAndForget) {
        frames.first();
        cache.displayedId = 0;
    } else if (n == kReselectDisplayed) {
        frames.selectId(cache.displayedId);
    } else if (n >= 0) {
        if (n < frames.size()) {
            frames.selectIndex(n);
        } else {
            frames.last();
        }
    }
    // No displayed frame to return to, or no current frame to keep: show the first.
    if (!frames.current()) frames.first();
    n = frames.index();

    if (frames.current()->id != cache.displayedId) {
        StoreDisplayedMask(state);
        cache.displayedId = frames.current()->id;
        ++cache.displayChanges;
    }
    if (state.composeOnSelect && ComposeFrame(state, 0) != 0) RedrawCanvas(state, -1, -1, 0, 0);

    state.shell.moveFrameMarker(n * kFrameColumnWidth + kFrameMarkerLeft);
    cache.displayedIndex = n;
    if (state.pictureReader) state.pictureReader->frameShown(state, n);
    return n;
}

void RefreshFrameStrip(ProgramState& state, int n) {
    for (int i = 0; i < state.document.frames.size(); ++i) {
        const FrameRecord& frame = state.document.frames.at(i);
        for (int layer = 0; layer < 2; ++layer) {
            if (!frame.layerSource[layer].empty() && frame.thumbnailGadget[layer] != 0) {
                state.shell.moveThumbnailGadget(frame.thumbnailGadget[layer],
                                                i * kFrameColumnWidth + kThumbnailLeft);
            }
        }
    }
    state.shell.setFrameStripWidth(state.document.frames.size() * kFrameColumnWidth + 20);
    SelectFrame(state, n);
}

}  // namespace morvel
