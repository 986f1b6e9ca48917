#pragma once

// The parts of the program showing frames of real pictures on a canvas, for the editor's tests.
// Header only: it needs the editor, which only the editor's tests link.

#include <gtest/gtest.h>

#include <string>

#include "codecs/picture_io.h"
#include "editor/canvas.h"
#include "editor/editor_test_state.h"
#include "editor/frame_selection.h"
#include "editor/mask_tools.h"
#include "platform/gadgets.h"
#include "platform/null_shell.h"
#include "test_support/pictures.h"
#include "test_support/recording_shell.h"
#include "test_support/temp_folder.h"

namespace morvel::testing {

// The canvas that a redraw from nothing gives for the state's composite, view and last overlay:
// what the canvas buffer must hold however it got there.
inline Image CanvasFromScratch(const EditorTestState& state) {
    NullShell shell;
    EditorTestState fresh(shell, "/nonexistent/", "/nonexistent/");
    fresh.services.redrawPause = 0;
    fresh.session.images.composite = state.session.images.composite;
    fresh.view = state.view;  // the view's settings; then a canvas that holds nothing yet
    fresh.view.canvas = *Image::create(state.view.canvas.width(), state.view.canvas.height());
    fresh.view.canvasCache = CanvasCache();
    const CanvasCache& last = state.view.canvasCache;
    RedrawCanvas(fresh.document, fresh.session, fresh.view, fresh.services, last.lastX, last.lastY,
                 last.lastW, last.lastH);
    return fresh.view.canvas;
}

class EditorScene {
public:
    TempFolder folder;
    RecordingShell shell;
    EditorTestState state{shell, folder.path(), folder.path()};

    EditorScene() { state.services.redrawPause = 0; }

    // Appends a frame whose layers are these pictures (an empty picture: no layer), with an
    // optional mask working file under a fresh number.
    FrameRecord& addFrame(const Image& layer1, const Image& layer2, const Image* mask = nullptr) {
        const int n = state.document.frames.size();
        FrameRecord& frame = state.document.frames.append();
        for (int layer = 0; layer < 2; ++layer) {
            const Image& picture = layer == 0 ? layer1 : layer2;
            if (picture.empty()) continue;
            // Appended piece by piece: GCC 12 warns of an overlapping copy (-Wrestrict) in an
            // inlined "f" + ... when optimising.
            std::string name = "f";
            name += std::to_string(n);
            name += 'l';
            name += std::to_string(layer);
            frame.layerSource[layer] = folder.file(name + ".png");
            EXPECT_TRUE(SavePictureFile(picture, frame.layerSource[layer], PictureFormat::Png));
        }
        if (mask) {
            frame.maskNumber = state.document.masks.nextNumber++;
            EXPECT_TRUE(SavePictureFile(*mask, state.document.masks.workingFile(frame.maskNumber),
                                        PictureFormat::Png));
        }
        return frame;
    }

    void setCanvas(int width, int height) {
        state.view.canvas = *Image::create(width, height);
        InvalidateCanvas(state.view);
    }

    // A canvas of width x height showing frame `index` at zoom 1 with the eraser selected.
    void show(int index, int width, int height) {
        setCanvas(width, height);
        SelectTool(state.view, state.services, "eraser");
        SelectFrame(state.document, state.session, state.view, state.services, index);
        RedrawCanvas(state.document, state.session, state.view, state.services, -1, -1, 0, 0);
    }

    // The displayed mask's grey at (x, y).
    int mask(int x, int y) const { return state.session.images.mask.grey(x, y); }

    // A press, moves and a release at these canvas positions, as the event loop sends them.
    void drag(std::initializer_list<std::pair<int, int>> points) {
        auto at = points.begin();
        state.view.buttonDown = true;
        MouseAction(state.document, state.session, state.view, state.services, kMousePressed,
                    at->first, at->second);
        for (++at; at != points.end(); ++at)
            MouseAction(state.document, state.session, state.view, state.services, kMouseDragged,
                        at->first, at->second);
        const auto last = *(points.end() - 1);
        if (state.view.buttonDown)
            MouseAction(state.document, state.session, state.view, state.services, kMouseReleased,
                        last.first, last.second);
        state.view.buttonDown = false;
    }
};

}  // namespace morvel::testing
