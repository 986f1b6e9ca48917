#pragma once

namespace morvel {

// The tools of the canvas, by their own names; the tool registry (editor/mask_tool.h) gives
// each its button, icon and tooltip.
enum class ToolId { None, Zoom, Eraser, AntiEraser, Selection, MaskMover };

}  // namespace morvel
