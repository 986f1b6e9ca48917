// The tool registry: each tool gives its row in its own file; a new tool is added here, in the
// order of its button in the window.
#include <vector>

#include "editor/mask_tool.h"
#include "platform/gadgets.h"

namespace morvel {

const ToolRow& ZoomToolRow();
const ToolRow& EraserRow();
const ToolRow& AntiEraserRow();
const ToolRow& SelectionToolRow();
const ToolRow& MaskMoverRow();
const ToolRow& PickGreyToolRow();

namespace {

constexpr int kFirstButton = 9;       // the tools of the first window
constexpr int kFirstButtonCount = 5;  // keep buttons 9 to 13
constexpr int kNextFreeButton = 47;   // after the brush's hardness field, 46

std::vector<RegisteredTool> registeredTools() {
    const ToolRow* rows[] = {
        &ZoomToolRow(),      &EraserRow(),    &AntiEraserRow(),
        &SelectionToolRow(), &MaskMoverRow(), &PickGreyToolRow(),
    };
    std::vector<RegisteredTool> tools;
    for (const ToolRow* row : rows) {
        const int n = static_cast<int>(tools.size());
        tools.push_back({*row, n < kFirstButtonCount ? kFirstButton + n
                                                     : kNextFreeButton + n - kFirstButtonCount});
    }
    return tools;
}

}  // namespace

std::span<const RegisteredTool> RegisteredTools() {
    static const std::vector<RegisteredTool> tools = registeredTools();
    return tools;
}

const ToolRow* ToolRowFor(ToolId id) {
    for (const RegisteredTool& tool : RegisteredTools())
        if (!id.empty() && tool.row.id == id) return &tool.row;
    return nullptr;
}

ToolId ToolOfButton(int gadget) {
    for (const RegisteredTool& tool : RegisteredTools())
        if (tool.button == gadget) return tool.row.id;
    return {};
}

ToolId ToolOfKey(int item) {
    const std::span<const RegisteredTool> tools = RegisteredTools();
    const int index = item - +MenuItem::FirstToolKey;
    if (index < 0 || index >= static_cast<int>(tools.size())) return {};
    const ToolRow& row = tools[static_cast<std::size_t>(index)].row;
    return row.shortcut.empty() ? ToolId{} : row.id;
}

void AddToolTexts(LanguageTable& table) {
    for (const RegisteredTool& tool : RegisteredTools()) table.add(tool.row.tooltip);
}

}  // namespace morvel
