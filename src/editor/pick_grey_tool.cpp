// The grey picker: the mask's grey under the cursor becomes the transparency field's value, as
// if it had been typed, so that the eraser and the selection paint that grey.
#include <algorithm>
#include <cmath>
#include <string_view>

#include "editor/mask_tool.h"

namespace morvel {

namespace {

class PickGreyTool final : public MaskTool {
public:
    void press(ToolContext& context, int cx, int cy) override { pick(context, cx, cy); }
    void move(ToolContext& context, int cx, int cy) override { pick(context, cx, cy); }
    void release(ToolContext& context, int cx, int cy) override { pick(context, cx, cy); }
    ToolOptions options() const override { return {false, true, false}; }

private:
    // The field's value whose grey is nearest: grey = (100 - v) x 2.55.
    static void pick(ToolContext& context, int cx, int cy) {
        const ViewGeometry view = context.geometry();
        const auto grey = context.maskGreyAt(view.compositeX(cx), view.compositeY(cy));
        if (!grey) return;
        const int v = static_cast<int>(std::lround(100 - *grey / 2.55));
        context.setTransparency(std::clamp(v, 0, 100));
    }
};

// A pipette with a drop of grey at its tip.
constexpr std::string_view kIcon[] = {
    "...................", "...............kk..", "..............kkkk.", ".............kkkkk.",
    "...........kkkkkk..", "............kkkk...", "...........kwkk....", "..........kwwk.....",
    ".........kwwk......", "........kwwk.......", ".......kwwk........", "......kwwk.........",
    ".....kwwk..........", "....kggk...........", "...kggk............", "..kggk.............",
    "..kgk..............", "..kk...............", "...................",
};
constexpr PixelColour kPalette[] = {{'k', 0x1E1E28}, {'w', 0xAAD7F5}, {'g', 0x808080}};

}  // namespace

const ToolRow& PickGreyToolRow() {
    static const ToolRow row{"pick-grey",
                             {"Tools", "pickgrey", "Grauwert aufnehmen"},
                             {Picture::None, {kIcon, kPalette}},
                             MakeTool<PickGreyTool>,
                             "I"};
    return row;
}

}  // namespace morvel
