// The mask mover: shifts the whole mask by the drag distance.
#include "editor/mask_tool.h"

namespace morvel {

namespace {

class MaskMover final : public MaskTool {
public:
    void press(ToolContext& context, int cx, int cy) override {
        context.beginEdit();
        if (!context.frameHasMask()) context.takePrecedingMask();
        if (!context.maskUsable()) {
            context.endEdit();
            return;
        }
        m_copy = context.mask();
        m_shiftX = 0;
        m_shiftY = 0;
        remember(context, cx, cy);
    }
    void move(ToolContext& context, int cx, int cy) override {
        if (m_copy.empty()) return;  // no drag under way
        shift(context, cx, cy);
    }
    void release(ToolContext& context, int cx, int cy) override {
        if (m_copy.empty()) return;
        shift(context, cx, cy);
        end(context);
    }
    // The mask stays as last drawn.
    void leave(ToolContext& context, int, int) override {
        if (!m_copy.empty()) end(context);
    }
    ToolOptions options() const override { return {}; }

private:
    // Only differences of positions count: the view offset is not needed.
    void remember(const ToolContext& context, int cx, int cy) {
        const ViewGeometry view = context.geometry();
        m_lastX = view.compositeLength(cx);
        m_lastY = view.compositeLength(cy);
    }

    void shift(ToolContext& context, int cx, int cy) {
        const int lastX = m_lastX;
        const int lastY = m_lastY;
        remember(context, cx, cy);
        const int stepX = m_lastX - lastX;
        const int stepY = m_lastY - lastY;
        if (stepX == 0 && stepY == 0) return;
        m_shiftX += stepX;
        m_shiftY += stepY;
        context.drawShiftedMask(m_copy, m_shiftX, m_shiftY);
        context.recomposeAll();
        context.redrawAll();
    }

    void end(ToolContext& context) {
        m_copy = GreyImage();
        context.endEdit();
    }

    // The drag in composite pixels: the last position, the shift since the press, and the mask
    // as it was at the press (empty when no drag is under way).
    int m_lastX = 0;
    int m_lastY = 0;
    int m_shiftX = 0;
    int m_shiftY = 0;
    GreyImage m_copy;
};

}  // namespace

const ToolRow& MaskMoverRow() {
    static const ToolRow row{"mask-mover",
                             LanguageTable::entry(Text::ToolsMover),
                             {Picture::MoveMask},
                             MakeTool<MaskMover>};
    return row;
}

}  // namespace morvel
