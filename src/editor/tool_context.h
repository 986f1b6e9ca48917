#pragma once

#include <cstdint>
#include <optional>

#include "project/view_geometry.h"
#include "platform/grey_image.h"
#include "platform/image.h"
#include "project/rect.h"
#include "project/tool_settings.h"

namespace morvel {

struct Document;
struct EditSession;
struct Services;
struct View;
struct SoftStrokeMemory;

// What a tool may touch while it works, and nothing else: the tool bar's settings, the view
// geometry, the displayed frame's mask with its edit history, and the canvas to redraw. Made
// from the parts of the program in one place (MouseAction); a tool keeps its own drag or stroke.
// Positions called ix, iy are composite pixels, cx, cy canvas pixels.
class ToolContext {
public:
    ToolContext(Document& document, EditSession& session, View& view, Services& services)
        : m_document(document), m_session(session), m_view(view), m_services(services) {}

    // The tool bar.
    const ToolSettings& settings() const;
    // The transparency field shows v (0..100) and its grey is taken, as if v had been typed.
    void setTransparency(int v);

    // The view: where canvas positions lie in the composite, and the canvas's size.
    ViewGeometry geometry() const;
    int canvasWidth() const;
    int canvasHeight() const;
    // Shows the composite at another zoom and offset; the scroll bars and the canvas follow.
    void setGeometry(const ViewGeometry& view);

    // The canvas: drawn again with the brush outline at (cx, cy) or the rubber band from (cx, cy)
    // to (cx + w, cy + h); redrawAll draws it without either.
    void redraw(int cx, int cy, int w, int h);
    void redrawAll() { redraw(-1, -1, 0, 0); }

    // The displayed frame's mask.
    const GreyImage& mask() const;
    // The composite's height: the mask lies under it aligned at their bottom-left corners.
    int compositeHeight() const;
    // Whether the mask image holds the displayed frame's mask, so that it may be edited.
    bool maskUsable() const;
    // Whether the displayed frame has a mask at all (usable or not).
    bool frameHasMask() const;
    // The mask's grey at composite pixel (ix, iy): white for a frame without a mask; nothing
    // outside the mask or when the frame's mask cannot be read.
    std::optional<int> maskGreyAt(int ix, int iy) const;
    // Gives the displayed frame a white mask when it has none usable; false when none could be
    // made.
    bool ensureMask();
    // Gives a frame without a mask the mask of the frame before it (shown at once); false when
    // there is none or it cannot be read (reported).
    bool takePrecedingMask();

    // Edits of the mask: an edit between beginEdit and endEdit is one step of the history.
    void beginEdit();
    void endEdit();
    Rect paintDab(int ix, int iy, int size, int shape, std::uint8_t grey);
    Rect paintSoftDab(SoftStrokeMemory& stroke, int ix, int iy, int size, int shape,
                      std::uint8_t grey, int hardness);
    void fillRectangle(const Rect& r, std::uint8_t grey);
    void drawShiftedMask(const GreyImage& copy, int dx, int dy);
    // Composes the composite pixels `dirty` again after an edit of the mask; recomposeAll the
    // whole mask.
    void recompose(const Rect& dirty);
    void recomposeAll();

private:
    Document& m_document;
    EditSession& m_session;
    View& m_view;
    Services& m_services;
};

}  // namespace morvel
