// The zoom tool: zooms to a dragged rectangle.
#include <algorithm>

#include "editor/mask_tool.h"
#include "editor/rubber_band.h"
#include "editor/zoom.h"

namespace morvel {

namespace {

class ZoomTool final : public MaskTool {
public:
    void press(ToolContext&, int cx, int cy) override { m_band.begin(cx, cy); }
    void move(ToolContext& context, int cx, int cy) override { m_band.drag(context, cx, cy); }
    void release(ToolContext& context, int cx, int cy) override {
        const auto band = m_band.end(context, cx, cy);
        if (!band) return;
        const ViewGeometry before = context.geometry();
        const float zy = static_cast<float>(context.canvasHeight()) /
                         static_cast<float>(band->y1 - band->y0) * before.zoom;
        const float zx = static_cast<float>(context.canvasWidth()) /
                         static_cast<float>(band->x1 - band->x0) * before.zoom;
        // The rectangle's upper-left corner moves to the canvas's upper-left corner.
        ViewGeometry after = before;
        after.offsetX = before.offsetShowingAtEdge(band->x0, before.offsetX);
        after.offsetY = before.offsetShowingAtEdge(band->y0, before.offsetY);
        after.zoom = std::clamp(std::min(zx, zy), kMinZoom, kMaxZoom);
        context.setGeometry(after);
    }
    ToolOptions options() const override { return {false, false, true}; }

private:
    RubberBand m_band;
};

}  // namespace

const ToolRow& ZoomToolRow() {
    static const ToolRow row{
        "zoom", LanguageTable::entry(Text::ToolsZoom), {Picture::ZoomTool}, MakeTool<ZoomTool>};
    return row;
}

}  // namespace morvel
