#include "editor/tool_context.h"

#include "editor/canvas.h"
#include "editor/compose_frame.h"
#include "editor/frame_selection.h"
#include "editor/mask_edit.h"
#include "editor/mask_tool_support.h"
#include "editor/mask_tools.h"
#include "editor/masks.h"
#include "editor/undo_history.h"
#include "editor/zoom.h"
#include "platform/gadgets.h"

namespace morvel {

const ToolSettings& ToolContext::settings() const {
    return m_view.toolSettings;
}

void ToolContext::setTransparency(int v) {
    m_services.shell.setSpinField(+Gadget::Transparency, v);
    m_view.toolSettings.eraseGrey = EraseGreyForTransparency(v);
}

ViewGeometry ToolContext::geometry() const {
    return ViewGeometry::of(m_view);
}

int ToolContext::canvasWidth() const {
    return m_view.canvas.width();
}

int ToolContext::canvasHeight() const {
    return m_view.canvas.height();
}

void ToolContext::setGeometry(const ViewGeometry& view) {
    m_view.zoom = view.zoom;
    m_view.offsetX = view.offsetX;
    m_view.offsetY = view.offsetY;
    UpdateScrollBars(m_session, m_view, m_services);
    RedrawCanvas(m_document, m_session, m_view, m_services, -1, -1, 0, 0);
}

void ToolContext::redraw(int cx, int cy, int w, int h) {
    RedrawCanvas(m_document, m_session, m_view, m_services, cx, cy, w, h);
}

const GreyImage& ToolContext::mask() const {
    return m_session.images.mask;
}

int ToolContext::compositeHeight() const {
    return m_session.images.composite.height();
}

bool ToolContext::maskUsable() const {
    return DisplayedMaskUsable(m_document, m_session);
}

bool ToolContext::frameHasMask() const {
    const FrameRecord* displayed = DisplayedFrame(m_document, m_session);
    return displayed && displayed->maskNumber != 0;
}

std::optional<int> ToolContext::maskGreyAt(int ix, int iy) const {
    const Image& composite = m_session.images.composite;
    if (!frameHasMask()) {
        if (ix < 0 || iy < 0 || ix >= composite.width() || iy >= composite.height())
            return std::nullopt;
        return 255;
    }
    if (!maskUsable()) return std::nullopt;
    const GreyImage& mask = m_session.images.mask;
    const int y = iy + mask.height() - composite.height();
    if (ix < 0 || y < 0 || ix >= mask.width() || y >= mask.height()) return std::nullopt;
    return mask.grey(ix, y);
}

bool ToolContext::ensureMask() {
    return EnsureMaskToPaint(m_document, m_session, m_services);
}

bool ToolContext::takePrecedingMask() {
    return TakePrecedingMask(m_document, m_session, m_view, m_services);
}

void ToolContext::beginEdit() {
    BeginMaskEdit(m_document, m_session);
}

void ToolContext::endEdit() {
    EndMaskEdit(m_document, m_session);
}

Rect ToolContext::paintDab(int ix, int iy, int size, int shape, std::uint8_t grey) {
    return PaintMaskDab(m_document, m_session, ix, iy, size, shape, grey);
}

Rect ToolContext::paintSoftDab(SoftStrokeMemory& stroke, int ix, int iy, int size, int shape,
                               std::uint8_t grey, int hardness) {
    return PaintSoftMaskDab(m_document, m_session, stroke, ix, iy, size, shape, grey, hardness);
}

void ToolContext::fillRectangle(const Rect& r, std::uint8_t grey) {
    FillMaskRectangle(m_document, m_session, r, grey);
}

void ToolContext::drawShiftedMask(const GreyImage& copy, int dx, int dy) {
    DrawShiftedMask(m_document, m_session, copy, dx, dy);
}

void ToolContext::recompose(const Rect& dirty) {
    RecomposeMaskEdit(m_document, m_session, m_view, m_services, dirty);
}

void ToolContext::recomposeAll() {
    RecomposeMaskEdit(m_document, m_session, m_view, m_services, WholeMask(m_session));
}

}  // namespace morvel
