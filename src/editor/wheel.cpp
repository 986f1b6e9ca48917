#include "editor/wheel.h"

#include <algorithm>
#include <cstdlib>

#include "editor/canvas.h"
#include "project/view_geometry.h"
#include "editor/zoom.h"
#include "platform/gadgets.h"

namespace morvel {

void ScrollByWheel(Document& document, EditSession& session, View& view, Services& services,
                   int bar, int steps) {
    const bool across = bar == +Gadget::HorizontalScrollBar;
    if ((!across && bar != +Gadget::VerticalScrollBar) || steps == 0) return;
    const Image& canvas = view.canvas;
    const Image& composite = session.images.composite;
    std::int32_t& offset = across ? view.offsetX : view.offsetY;
    // The scroll bar's range, as UpdateScrollBars gives it.
    const ViewGeometry transform = ViewGeometry::of(view);
    const std::int64_t page = transform.compositeLength(across ? canvas.width() : canvas.height());
    const std::int64_t last =
        std::max<std::int64_t>(0, (across ? composite.width() : composite.height()) - page);
    const std::int64_t position = -static_cast<std::int64_t>(offset);
    if (last == 0 || (steps > 0 && position <= 0) || (steps < 0 && position >= last)) return;
    const std::int64_t step =
        std::max<std::int64_t>(1, transform.compositeLength(kWheelScrollPixels));
    offset = static_cast<std::int32_t>(-std::clamp(position - steps * step, std::int64_t{0}, last));
    UpdateScrollBars(session, view, services);
    ScrollTo(document, session, view, services, bar);
}

void ZoomAtPoint(Document& document, EditSession& session, View& view, Services& services,
                 int steps, int cx, int cy) {
    const float factor = steps > 0 ? kZoomInFactor : kZoomOutFactor;
    // Far more steps than lead from one limit to the other change nothing more.
    const int count = std::min(std::abs(std::clamp(steps, -1000, 1000)), 1000);
    float zoom = view.zoom;
    for (int i = 0; i < count; ++i) zoom = std::clamp(zoom * factor, kMinZoom, kMaxZoom);
    if (zoom == view.zoom) return;  // at the limit already
    const ViewGeometry zoomed = ViewGeometry::of(view).zoomedKeepingPixel(zoom, cx, cy);
    view.offsetX = zoomed.offsetX;
    view.offsetY = zoomed.offsetY;
    view.zoom = zoom;
    UpdateScrollBars(session, view, services);
    RedrawCanvas(document, session, view, services, -1, -1, 0, 0);
}

}  // namespace morvel
