#pragma once

// The scene the painting benchmarks share: a displayed frame of two noisy layers and a white
// mask, composed, at fit zoom in a 1000 x 700 canvas, with the eraser of size 30 selected.
// Header only; the benchmarks include it.

#include <algorithm>
#include <chrono>
#include <vector>

#include "editor/compose_frame.h"
#include "editor/editor_test_state.h"
#include "editor/mask_tools.h"
#include "editor/zoom.h"
#include "platform/gadgets.h"
#include "platform/null_shell.h"

namespace morvel::benchmarks {

inline Image noise(int width, int height, unsigned seed) {
    Image image = *Image::create(width, height);
    unsigned state = seed;
    for (int y = 0; y < height; ++y) {
        std::uint8_t* row = image.row(y);
        for (int i = 0; i < width * 3; ++i) {
            state = state * 1664525u + 1013904223u;
            row[i] = static_cast<std::uint8_t>(state >> 24);
        }
    }
    return image;
}

// A noisy mask: the blue of noise(), as a mask's file of those pixels reads.
inline GreyImage greyNoise(int width, int height, unsigned seed) {
    return *GreyFromBlue(noise(width, height, seed));
}

struct PaintingScene {
    NullShell shell;
    EditorTestState state{shell, "/nonexistent/", "/nonexistent/"};

    PaintingScene(int width, int height) {
        state.services.redrawPause = 0;
        state.session.images.layer1 = noise(width, height, 1);
        state.session.images.layer2 = noise(width, height, 2);
        state.session.images.mask = *GreyImage::create(width, height);
        state.session.images.mask.fill(255);
        state.session.images.composite = *Image::create(width, height);
        state.view.canvas = *Image::create(1000, 700);
        FrameRecord& frame = state.document.frames.append();
        frame.layerSource = {"layer1", "layer2"};
        frame.maskNumber = 1;
        state.document.masks.nextNumber = 2;
        state.session.cache.layerSource = frame.layerSource;
        state.session.cache.maskNumber = 1;
        state.session.cache.displayedId = frame.id;
        state.session.cache.displayedIndex = 0;
        state.session.cache.dirty = Rect{0, width, 0, height};
        ComposeFrame(state.document, state.session, state.view, state.services, kMaskChanged);
        SelectTool(state.view, state.services, "eraser");
        state.view.toolSettings.brushSize = 30;
        ZoomFit(state.document, state.session, state.view, state.services);
    }
};

inline double median(std::vector<double> values) {
    if (values.empty()) return 0;
    std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
    return values[values.size() / 2];
}

template <typename F>
double millisecondsOf(F&& f) {
    const auto start = std::chrono::steady_clock::now();
    f();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

}  // namespace morvel::benchmarks
