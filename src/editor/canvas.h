#pragma once

#include "editor/edit_session.h"
#include "editor/view.h"
#include "project/document.h"
#include "project/services.h"
#include "sequence/scale_picture.h"

namespace morvel {

// Draws the composite into the canvas buffer (work image 1) at the view's zoom and offset, with
// the dark grey background where the composite does not cover the canvas, the onion skin over
// them while it is on (see onion_skin.h), then the overlay in
// invert mode: at cursor (x, y) the brush outline of tools 10 and 11, otherwise the rubber band
// of size w x h. x = y = -1 draws no overlay. Presents the buffer and pauses for
// services.redrawPause milliseconds.
//
// The buffer keeps the scaled picture between redraws: only the canvas pixels whose composite
// pixels changed (CanvasCompositeChanged) are scaled again, unless the zoom, the offsets, the
// canvas buffer or the composite image itself changed, which scales everything. The result is
// always the same as a redraw from scratch.
void RedrawCanvas(Document& document, EditSession& session, View& view, Services& services, int x,
                  int y, int w, int h);

// Composite pixels in r changed: the next redraw scales them again. Everything that writes into
// the composite image tells the canvas here (ComposeFrame does).
void CanvasCompositeChanged(View& view, const Rect& r);

// The canvas buffer no longer holds what the last redraw drew (for example, the window layout
// recreated it): the next redraw draws everything.
void InvalidateCanvas(View& view);

// The canvas as the composite alone draws it, the cursor's outline taken away: false when the
// canvas shows more than the composite (another view, the mask, the onion skin) or is not up to
// date with it.
bool CanvasOfCompositeAlone(const EditSession& session, const View& view, Image& out);

}  // namespace morvel
