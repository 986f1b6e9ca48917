#include "editor/zoom.h"

#include <cmath>

#include "platform/gadgets.h"

namespace morvel {

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

}  // namespace morvel
