#pragma once

#include "editor/edit_session.h"
#include "editor/view.h"
#include "project/document.h"
#include "project/services.h"

namespace morvel {

// Limits of the zoom buttons and the zoom tool, and their step factors.
constexpr float kMinZoom = 0.015625f;
constexpr float kMaxZoom = 5.0f;
constexpr float kZoomInFactor = 1.046875f;
constexpr float kZoomOutFactor = 0.953125f;

// Sets both scroll bars from the zoom, the view offsets and the sizes of canvas and composite.
void UpdateScrollBars(EditSession& session, View& view, Services& services);
// The view follows scroll bar 3 or 4 (gadget number), then the canvas is redrawn.
void ScrollTo(Document& document, EditSession& session, View& view, Services& services, int bar);
void ZoomOneToOne(Document& document, EditSession& session, View& view, Services& services);
void ZoomFit(Document& document, EditSession& session, View& view, Services& services);
void ZoomByFactor(Document& document, EditSession& session, View& view, Services& services,
                  float factor);

}  // namespace morvel
