#include "editor/zoom.h"

#include <algorithm>
#include <cmath>

#include "editor/canvas.h"
#include "editor/mask_tools.h"
#include "platform/gadgets.h"

namespace morvel {

namespace {

// Floats become pixel positions rounded to the nearest integer, halves to even.
std::int32_t roundToInt(float value) {
    return static_cast<std::int32_t>(std::nearbyint(value));
}

float limited(float zoom) {
    return std::clamp(zoom, kMinZoom, kMaxZoom);
}

// Every change of the zoom ends like this.
void showNewZoom(ProgramState& state) {
    UpdateScrollBars(state);
    RedrawCanvas(state, -1, -1, 0, 0);
}

}  // namespace

void UpdateScrollBars(ProgramState& state) {
    const Image& canvas = state.images.canvas;
    const Image& composite = state.images.composite;
    const float zoom = state.view.zoom;
    state.shell.setScrollBar(+Gadget::HorizontalScrollBar, composite.width(),
                             static_cast<int>(std::nearbyint(canvas.width() / zoom)),
                             -state.view.offsetX);
    state.shell.setScrollBar(+Gadget::VerticalScrollBar, composite.height(),
                             static_cast<int>(std::nearbyint(canvas.height() / zoom)),
                             -state.view.offsetY);
}

void ScrollTo(ProgramState& state, int bar) {
    if (bar == +Gadget::HorizontalScrollBar) {
        state.view.offsetX = -state.shell.gadgetState(bar);
    } else if (bar == +Gadget::VerticalScrollBar) {
        state.view.offsetY = -state.shell.gadgetState(bar);
    } else {
        return;
    }
    RedrawCanvas(state, -1, -1, 0, 0);
}

void ZoomOneToOne(ProgramState& state) {
    state.view.zoom = 1.0f;
    state.view.offsetX = 0;
    state.view.offsetY = 0;
    showNewZoom(state);
}

void ZoomFit(ProgramState& state) {
    const float w1 = static_cast<float>(state.images.canvas.width());
    const float h1 = static_cast<float>(state.images.canvas.height());
    const float w2 = static_cast<float>(state.images.composite.width());
    const float h2 = static_cast<float>(state.images.composite.height());
    if (w1 <= 0 || h1 <= 0 || w2 <= 0 || h2 <= 0) return;  // nothing to fit
    state.view.zoom = w1 * h2 > w2 * h1 ? h1 / h2 : w1 / w2;
    state.view.offsetX = 0;
    state.view.offsetY = 0;
    showNewZoom(state);
}

void ZoomByFactor(ProgramState& state, float factor) {
    ViewState& view = state.view;
    const float w1 = static_cast<float>(state.images.canvas.width());
    const float h1 = static_cast<float>(state.images.canvas.height());
    // The composite point at the canvas's centre stays there.
    const float visibleWidth = w1 / view.zoom;
    const float visibleHeight = h1 / view.zoom;
    view.zoom = limited(view.zoom * factor);
    view.offsetX =
        roundToInt(static_cast<float>(view.offsetX) - (visibleWidth - w1 / view.zoom) / 2);
    view.offsetY =
        roundToInt(static_cast<float>(view.offsetY) - (visibleHeight - h1 / view.zoom) / 2);
    showNewZoom(state);
}

void ZoomToRectangle(ProgramState& state, int cx, int cy, int phase) {
    ViewState& view = state.view;
    switch (phase) {
        case kMousePressed:
            view.zoomAnchorX = cx;
            view.zoomAnchorY = cy;
            return;
        case kMouseDragged:
            RedrawCanvas(state, view.zoomAnchorX, view.zoomAnchorY, cx - view.zoomAnchorX,
                         cy - view.zoomAnchorY);
            return;
        case kMouseReleased:
            break;
        default:
            return;
    }
    if (cx == view.zoomAnchorX || cy == view.zoomAnchorY) {
        RedrawCanvas(state, -1, -1, 0, 0);  // takes the rubber band away
        return;
    }
    const int x0 = std::min(cx, view.zoomAnchorX);
    const int x1 = std::max(cx, view.zoomAnchorX);
    const int y0 = std::min(cy, view.zoomAnchorY);
    const int y1 = std::max(cy, view.zoomAnchorY);
    const float zy =
        static_cast<float>(state.images.canvas.height()) / static_cast<float>(y1 - y0) * view.zoom;
    const float zx =
        static_cast<float>(state.images.canvas.width()) / static_cast<float>(x1 - x0) * view.zoom;
    // The rectangle's upper-left corner moves to the canvas's upper-left corner.
    view.offsetX =
        roundToInt(static_cast<float>(view.offsetX) - static_cast<float>(x0) / view.zoom);
    view.offsetY =
        roundToInt(static_cast<float>(view.offsetY) - static_cast<float>(y0) / view.zoom);
    view.zoom = limited(std::min(zx, zy));
    showNewZoom(state);
}

}  // namespace morvel
