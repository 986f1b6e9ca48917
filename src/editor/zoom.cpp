#include "editor/zoom.h"

#include <algorithm>

#include "editor/canvas.h"
#include "project/view_geometry.h"
#include "platform/gadgets.h"

namespace morvel {

namespace {

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
    const ViewGeometry view = ViewGeometry::of(state.view);
    state.shell.setScrollBar(+Gadget::HorizontalScrollBar, composite.width(),
                             view.compositeLength(canvas.width()), -state.view.offsetX);
    state.shell.setScrollBar(+Gadget::VerticalScrollBar, composite.height(),
                             view.compositeLength(canvas.height()), -state.view.offsetY);
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
    const ViewGeometry zoomed = ViewGeometry::of(view).zoomedAboutCentre(
        limited(view.zoom * factor), state.images.canvas.width(), state.images.canvas.height());
    view.zoom = zoomed.zoom;
    view.offsetX = zoomed.offsetX;
    view.offsetY = zoomed.offsetY;
    showNewZoom(state);
}

}  // namespace morvel
