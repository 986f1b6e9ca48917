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
void showNewZoom(Document& document, EditSession& session, View& view, Services& services) {
    UpdateScrollBars(session, view, services);
    RedrawCanvas(document, session, view, services, -1, -1, 0, 0);
}

}  // namespace

void UpdateScrollBars(EditSession& session, View& view, Services& services) {
    const Image& canvas = view.canvas;
    const Image& composite = session.images.composite;
    const ViewGeometry geometry = ViewGeometry::of(view);
    services.shell.setScrollBar(+Gadget::HorizontalScrollBar, composite.width(),
                                geometry.compositeLength(canvas.width()), -geometry.offsetX);
    services.shell.setScrollBar(+Gadget::VerticalScrollBar, composite.height(),
                                geometry.compositeLength(canvas.height()), -geometry.offsetY);
}

void ScrollTo(Document& document, EditSession& session, View& view, Services& services, int bar) {
    if (bar == +Gadget::HorizontalScrollBar) {
        view.offsetX = -services.shell.gadgetState(bar);
    } else if (bar == +Gadget::VerticalScrollBar) {
        view.offsetY = -services.shell.gadgetState(bar);
    } else {
        return;
    }
    RedrawCanvas(document, session, view, services, -1, -1, 0, 0);
}

void ZoomOneToOne(Document& document, EditSession& session, View& view, Services& services) {
    view.zoom = 1.0f;
    view.offsetX = 0;
    view.offsetY = 0;
    showNewZoom(document, session, view, services);
}

void ZoomFit(Document& document, EditSession& session, View& view, Services& services) {
    const float w1 = static_cast<float>(view.canvas.width());
    const float h1 = static_cast<float>(view.canvas.height());
    const float w2 = static_cast<float>(session.images.composite.width());
    const float h2 = static_cast<float>(session.images.composite.height());
    if (w1 <= 0 || h1 <= 0 || w2 <= 0 || h2 <= 0) return;  // nothing to fit
    view.zoom = w1 * h2 > w2 * h1 ? h1 / h2 : w1 / w2;
    view.offsetX = 0;
    view.offsetY = 0;
    showNewZoom(document, session, view, services);
}

void ZoomByFactor(Document& document, EditSession& session, View& view, Services& services,
                  float factor) {
    const ViewGeometry zoomed = ViewGeometry::of(view).zoomedAboutCentre(
        limited(view.zoom * factor), view.canvas.width(), view.canvas.height());
    view.zoom = zoomed.zoom;
    view.offsetX = zoomed.offsetX;
    view.offsetY = zoomed.offsetY;
    showNewZoom(document, session, view, services);
}

}  // namespace morvel
