#pragma once

// A program state showing frames of real pictures on a canvas, for the editor's tests. Header
// only: it needs the editor, which only the editor's tests link.

#include <gtest/gtest.h>

#include <string>

#include "editor/canvas.h"
#include "editor/frame_selection.h"
#include "editor/mask_tools.h"
#include "platform/gadgets.h"
#include "platform/null_shell.h"
#include "codecs/picture_io.h"
#include "test_support/pictures.h"
#include "test_support/recording_shell.h"
#include "test_support/temp_folder.h"

namespace morvel::testing {

// The canvas that a redraw from nothing gives for the state's composite, view and last overlay:
// what the canvas buffer must hold however it got there.
inline Image CanvasFromScratch(const ProgramState& state) {
    NullShell shell;
    ProgramState fresh(shell, "/nonexistent/", "/nonexistent/");
    fresh.redrawPause = 0;
    fresh.images.composite = state.images.composite;
    fresh.images.canvas = *Image::create(state.images.canvas.width(), state.images.canvas.height());
    fresh.view = state.view;
    const CanvasCache& last = state.canvasCache;
    RedrawCanvas(fresh, last.lastX, last.lastY, last.lastW, last.lastH);
    return fresh.images.canvas;
}

class EditorScene {
public:
    TempFolder folder;
    RecordingShell shell;
    ProgramState state{shell, folder.path(), folder.path()};

    EditorScene() { state.redrawPause = 0; }

    // Appends a frame whose layers are these pictures (an empty picture: no layer), with an
    // optional mask working file under a fresh number.
    FrameRecord& addFrame(const Image& layer1, const Image& layer2, const Image* mask = nullptr) {
        const int n = state.document.frames.size();
        state.document.frames.last();
        FrameRecord& frame = state.document.frames.add();
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
        state.images.canvas = *Image::create(width, height);
        InvalidateCanvas(state);
    }

    // A canvas of width x height showing frame `index` at zoom 1 with the eraser selected.
    void show(int index, int width, int height) {
        setCanvas(width, height);
        SelectTool(state, "eraser");
        SelectFrame(state, index);
        RedrawCanvas(state, -1, -1, 0, 0);
    }

    // The displayed mask's blue components at (x, y).
    int mask(int x, int y) const { return state.images.mask.blue(x, y); }

    // A press, moves and a release at these canvas positions, as the event loop sends them.
    void drag(std::initializer_list<std::pair<int, int>> points) {
        auto at = points.begin();
        state.view.buttonDown = true;
        MouseAction(state, kMousePressed, at->first, at->second);
        for (++at; at != points.end(); ++at)
            MouseAction(state, kMouseDragged, at->first, at->second);
        const auto last = *(points.end() - 1);
        if (state.view.buttonDown) MouseAction(state, kMouseReleased, last.first, last.second);
        state.view.buttonDown = false;
    }
};

}  // namespace morvel::testing
