#include "editor/mask_tool.h"

#include "platform/gadgets.h"

namespace morvel {

namespace {

// The tools by their buttons, in the window's order: a new tool is registered here.
struct RegisteredTool {
    Gadget button;
    MaskTool& (*tool)();
};

constexpr RegisteredTool kTools[] = {
    {Gadget::ZoomTool, TheZoomTool},     {Gadget::Eraser, TheEraser},
    {Gadget::AntiEraser, TheAntiEraser}, {Gadget::SelectionTool, TheSelectionTool},
    {Gadget::MaskMover, TheMaskMover},
};

}  // namespace

MaskTool* MaskToolFor(int tool) {
    for (const RegisteredTool& registered : kTools)
        if (+registered.button == tool) return &registered.tool();
    return nullptr;
}

std::vector<int> ToolButtons() {
    std::vector<int> buttons;
    for (const RegisteredTool& registered : kTools) buttons.push_back(+registered.button);
    return buttons;
}

}  // namespace morvel
