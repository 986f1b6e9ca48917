#include "editor/mask_tool.h"

namespace morvel {

namespace {

// A new tool is registered here, in the order of its button in the window.
constexpr RegisteredTool kTools[] = {
    {ToolId::Zoom, Gadget::ZoomTool, Picture::ZoomTool, Text::ToolsZoom, TheZoomTool},
    {ToolId::Eraser, Gadget::Eraser, Picture::Eraser, Text::ToolsEraser, TheEraser},
    {ToolId::AntiEraser, Gadget::AntiEraser, Picture::AntiEraser, Text::ToolsDeraser,
     TheAntiEraser},
    {ToolId::Selection, Gadget::SelectionTool, Picture::Selection, Text::ToolsSelecter,
     TheSelectionTool},
    {ToolId::MaskMover, Gadget::MaskMover, Picture::MoveMask, Text::ToolsMover, TheMaskMover},
};

const RegisteredTool* registered(ToolId id) {
    for (const RegisteredTool& tool : kTools)
        if (tool.id == id) return &tool;
    return nullptr;
}

}  // namespace

std::span<const RegisteredTool> RegisteredTools() { return kTools; }

MaskTool* MaskToolFor(ToolId id) {
    const RegisteredTool* tool = registered(id);
    return tool ? &tool->tool() : nullptr;
}

ToolId ToolOfButton(int gadget) {
    for (const RegisteredTool& tool : kTools)
        if (+tool.button == gadget) return tool.id;
    return ToolId::None;
}

}  // namespace morvel
