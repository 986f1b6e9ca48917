#pragma once

#include <cstdint>

#include "platform/image.h"
#include "project/rect.h"
#include "project/view_geometry.h"

namespace morvel {

// The dark grey around the picture where the composite does not cover the canvas.
constexpr std::uint8_t kCanvasBackground = 68;

// Where a scaled composite lies on a canvas, in canvas pixels.
struct Placement {
    std::int64_t left, top, width, height;
};
Placement PlacementOf(const ViewGeometry& view, const Image& picture);

// The canvas pixels that show the placed composite.
Rect VisiblePart(const Image& canvas, const Placement& at);

// Fills the canvas with the background outside the rectangle picture.
void FillBackground(Image& canvas, const Rect& picture);

// Scales the composite into the canvas pixels r, which lie inside both the canvas and the
// placed composite: area-averaged, and every canvas pixel depends on nothing but the composite
// pixels it covers, so scaling part of the canvas gives the same pixels as scaling all of it.
void ScaleInto(Image& canvas, const Image& composite, const Placement& at, const Rect& r);

// Draws picture into canvas as the canvas shows a composite in this view (offsets in picture
// pixels), without overlay: the same pixels as a redraw from scratch. Depends only on its
// arguments, so any thread may call it.
void DrawScaledPicture(const Image& picture, const ViewGeometry& view, Image& canvas);

}  // namespace morvel
