// The selection: fills a dragged rectangle of the mask with the eraser's grey.
#include <algorithm>

#include "editor/mask_tool.h"
#include "editor/rubber_band.h"

namespace morvel {

namespace {

class SelectionTool final : public MaskTool {
public:
    void press(ToolContext&, int cx, int cy) override { m_band.begin(cx, cy); }
    void move(ToolContext& context, int cx, int cy) override { m_band.drag(context, cx, cy); }
    void release(ToolContext& context, int cx, int cy) override {
        const auto band = m_band.end(context, cx, cy);
        if (!band) return;
        context.beginEdit();
        if (context.ensureMask()) {
            const ViewGeometry view = context.geometry();
            const int ix = view.compositeX(band->x0);
            const int iy = view.compositeY(band->y0);
            const int iw = view.compositeLength(band->x1 - band->x0);
            const int ih = view.compositeLength(band->y1 - band->y0);
            const int grey = std::clamp(context.settings().eraseGrey, 0, 255);
            context.fillRectangle(Rect{ix, ix + iw, iy, iy + ih}, static_cast<std::uint8_t>(grey));
            context.recomposeAll();
        }
        context.redrawAll();
        context.endEdit();
    }
    // Leaving the canvas abandons the drag.
    ToolOptions options() const override { return {false, true, false}; }

private:
    RubberBand m_band;
};

}  // namespace

const ToolRow& SelectionToolRow() {
    static const ToolRow row{"selection",
                             LanguageTable::entry(Text::ToolsSelecter),
                             {Picture::Selection},
                             MakeTool<SelectionTool>};
    return row;
}

}  // namespace morvel
