// The eraser and the anti-eraser: one brush in two colours, painting joined strokes of dabs.
#include <algorithm>

#include "editor/brush_stroke.h"
#include "editor/mask_tool.h"

namespace morvel {

namespace {

class BrushTool final : public MaskTool {
public:
    explicit BrushTool(bool eraser) : m_eraser(eraser) {}

    void press(ToolContext& context, int cx, int cy) override {
        context.beginEdit();
        m_stroke.end();
        paint(context, cx, cy, false);
    }
    void move(ToolContext& context, int cx, int cy) override { paint(context, cx, cy, false); }
    void release(ToolContext& context, int cx, int cy) override { paint(context, cx, cy, true); }
    // The stroke ends where the cursor left the canvas.
    void leave(ToolContext& context, int cx, int cy) override { paint(context, cx, cy, true); }
    void hover(ToolContext& context, int cx, int cy) override { context.redraw(cx, cy, 0, 0); }
    ToolOutline outline() const override { return ToolOutline::Brush; }
    ToolOptions options() const override { return {true, m_eraser, false}; }

private:
    // The eraser paints the grey of the transparency field, the anti-eraser white.
    std::uint8_t grey(const ToolContext& context) const {
        return m_eraser
                   ? static_cast<std::uint8_t>(std::clamp(context.settings().eraseGrey, 0, 255))
                   : 255;
    }

    void paint(ToolContext& context, int cx, int cy, bool strokeEnds) {
        const ViewGeometry view = context.geometry();
        const int ix = view.compositeX(cx);
        const int iy = view.compositeY(cy);
        const bool fresh = !context.maskUsable();
        if (context.ensureMask()) {
            // During the stroke only the dabs are composed again; at its end the whole frame.
            if (fresh) {
                m_stroke.begin(context, ix, iy, grey(context));
            } else {
                m_stroke.extend(context, ix, iy, grey(context));
            }
            if (fresh || strokeEnds) context.recomposeAll();
            context.redraw(cx, cy, 0, 0);
        }
        if (strokeEnds) {
            m_stroke.end();
            context.endEdit();
        }
    }

    bool m_eraser;
    DabStroke m_stroke;
};

}  // namespace

const ToolRow& EraserRow() {
    static const ToolRow row{"eraser",
                             LanguageTable::entry(Text::ToolsEraser),
                             {Picture::Eraser},
                             MakeTool<BrushTool, true>};
    return row;
}

const ToolRow& AntiEraserRow() {
    static const ToolRow row{"anti-eraser",
                             LanguageTable::entry(Text::ToolsDeraser),
                             {Picture::AntiEraser},
                             MakeTool<BrushTool, false>};
    return row;
}

}  // namespace morvel
