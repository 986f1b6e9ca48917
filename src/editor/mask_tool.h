#pragma once

#include <memory>
#include <span>

#include "editor/tool_context.h"
#include "i18n/language_table.h"
#include "platform/main_window_plan.h"
#include "project/tool_settings.h"

namespace morvel {

// The option gadgets a tool shows while it is selected.
struct ToolOptions {
    bool brush = false;         // 14, 15, 46: brush size, shape and hardness
    bool transparency = false;  // 16, 17
    bool zoom = false;          // 18 to 21
};

// What the canvas draws at the cursor while a tool is selected (besides a rubber band).
enum class ToolOutline { None, Brush };

// A tool of the canvas. MouseAction calls, with canvas positions: press when the left button
// goes down over the canvas, move while it is down, release when it comes up over the canvas,
// leave when the cursor leaves the canvas with the button down (which ends the drag), hover for
// moves with the button up. A tool keeps what it needs between calls in itself: each program
// makes its own when the tool is selected.
class MaskTool {
public:
    virtual ~MaskTool() = default;
    virtual void press(ToolContext& context, int cx, int cy) = 0;
    virtual void move(ToolContext& context, int cx, int cy) = 0;
    virtual void release(ToolContext& context, int cx, int cy) = 0;
    virtual void leave(ToolContext&, int, int) {}
    virtual void hover(ToolContext&, int, int) {}
    virtual ToolOutline outline() const { return ToolOutline::None; }
    virtual ToolOptions options() const = 0;
};

// A tool's icon: one of the program's own pictures, or a pixel map of its own (19 x 19).
struct ToolIcon {
    Picture picture = Picture::None;
    PixelPicture pixels;
};

// What a tool registers, in its own file: its id, the text of its tooltip (group and key in the
// language files, with its German default), its icon, how to make one, and the key that
// selects it, if any ("I", as the window's shortcuts name keys).
struct ToolRow {
    ToolId id;
    TextEntry tooltip;
    ToolIcon icon;
    std::unique_ptr<MaskTool> (*make)();
    std::string_view shortcut = {};
};

// The factory of a tool made as T(args...).
template <class T, auto... args>
std::unique_ptr<MaskTool> MakeTool() {
    return std::make_unique<T>(args...);
}

// A registered tool as the window shows it: its row and its button's gadget number. Today's
// first five tools keep buttons 9 to 13; further tools take 47 and up, in the registry's order.
struct RegisteredTool {
    const ToolRow& row;
    int button;
};

// The registered tools, in the order of their buttons in the window (editor/tool_registry.cpp).
std::span<const RegisteredTool> RegisteredTools();
// The tool with id `id`; null for any other id.
const ToolRow* ToolRowFor(ToolId id);
// The tool that button gadget `gadget` selects; empty for any other gadget.
ToolId ToolOfButton(int gadget);
// The tool that shortcut event `item` selects (MenuItem::FirstToolKey on); empty for any other.
ToolId ToolOfKey(int item);
// Gives the table the tooltips of the tools that are not among its own texts.
void AddToolTexts(LanguageTable& table);

}  // namespace morvel
