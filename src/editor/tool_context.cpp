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
    return m_state.view.toolSettings;
}

void ToolContext::setTransparency(int v) {
    m_state.shell.setSpinField(+Gadget::Transparency, v);
    m_state.view.toolSettings.eraseGrey = EraseGreyForTransparency(v);
}

ViewGeometry ToolContext::geometry() const {
    return ViewGeometry::of(m_state.view);
}

int ToolContext::canvasWidth() const {
    return m_state.images.canvas.width();
}

int ToolContext::canvasHeight() const {
    return m_state.images.canvas.height();
}

void ToolContext::setGeometry(const ViewGeometry& view) {
    m_state.view.zoom = view.zoom;
    m_state.view.offsetX = view.offsetX;
    m_state.view.offsetY = view.offsetY;
    UpdateScrollBars(m_state);
    RedrawCanvas(m_state, -1, -1, 0, 0);
}

void ToolContext::redraw(int cx, int cy, int w, int h) {
    RedrawCanvas(m_state, cx, cy, w, h);
}

const Image& ToolContext::mask() const {
    return m_state.images.mask;
}

int ToolContext::compositeHeight() const {
    return m_state.images.composite.height();
}

bool ToolContext::maskUsable() const {
    return DisplayedMaskUsable(m_state);
}

bool ToolContext::frameHasMask() const {
    const FrameRecord* displayed = DisplayedFrame(m_state);
    return displayed && displayed->maskNumber != 0;
}

std::optional<int> ToolContext::maskGreyAt(int ix, int iy) const {
    const Image& composite = m_state.images.composite;
    if (!frameHasMask()) {
        if (ix < 0 || iy < 0 || ix >= composite.width() || iy >= composite.height())
            return std::nullopt;
        return 255;
    }
    if (!maskUsable()) return std::nullopt;
    const Image& mask = m_state.images.mask;
    const int y = iy + mask.height() - composite.height();
    if (ix < 0 || y < 0 || ix >= mask.width() || y >= mask.height()) return std::nullopt;
    return mask.blue(ix, y);
}

bool ToolContext::ensureMask() {
    return EnsureMaskToPaint(m_state);
}

bool ToolContext::takePrecedingMask() {
    return TakePrecedingMask(m_state);
}

void ToolContext::beginEdit() {
    BeginMaskEdit(m_state);
}

void ToolContext::endEdit() {
    EndMaskEdit(m_state);
}

Rect ToolContext::paintDab(int ix, int iy, int size, int shape, std::uint8_t grey) {
    return PaintMaskDab(m_state, ix, iy, size, shape, grey);
}

Rect ToolContext::paintSoftDab(SoftStrokeMemory& stroke, int ix, int iy, int size, int shape,
                               std::uint8_t grey, int hardness) {
    return PaintSoftMaskDab(m_state, stroke, ix, iy, size, shape, grey, hardness);
}

void ToolContext::fillRectangle(const Rect& r, std::uint8_t grey) {
    FillMaskRectangle(m_state, r, grey);
}

void ToolContext::drawShiftedMask(const Image& copy, int dx, int dy) {
    DrawShiftedMask(m_state, copy, dx, dy);
}

void ToolContext::recompose(const Rect& dirty) {
    RecomposeMaskEdit(m_state, dirty);
}

void ToolContext::recomposeAll() {
    RecomposeMaskEdit(m_state, WholeMask(m_state));
}

}  // namespace morvel
