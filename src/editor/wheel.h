#pragma once

#include <cstdint>

#include "editor/edit_session.h"
#include "editor/view.h"
#include "project/document.h"
#include "project/services.h"

namespace morvel {

// The mouse wheel over the canvas: scrolling the view and zooming around the cursor.

// Canvas pixels the view moves per notch of the wheel.
constexpr int kWheelScrollPixels = 60;

// Scrolls the view along scroll bar 3 or 4 (gadget number) by whole notches, positive towards
// the picture's top or left edge, through the scroll bar as ScrollTo does: the bar keeps its
// range, and the view takes the bar's position. Nothing moves along an axis on which the whole
// picture is visible, nor past the picture's edge.
void ScrollByWheel(Document& document, EditSession& session, View& view, Services& services,
                   int bar, int steps);

// Zooms by whole steps of the zoom buttons' factors (positive in, negative out) within the
// zoom limits, so that the composite pixel under canvas position (cx, cy) stays under it.
void ZoomAtPoint(Document& document, EditSession& session, View& view, Services& services,
                 int steps, int cx, int cy);

}  // namespace morvel
