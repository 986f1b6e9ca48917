#pragma once

#include <string_view>

namespace morvel {

// A tool of the canvas by the id its registry row gives it (editor/mask_tool.h); empty: none.
using ToolId = std::string_view;

// The settings of the tool bar that the tools read.
struct ToolSettings {
    int brushSize = 10;
    int brushShape = 6;  // 6 round, 7 square
    int eraseGrey = 0;   // the grey the eraser and the selection paint
    // The brush's hardness (0..100): 100 paints hard dabs, lower values soften their rim.
    int hardness = 100;
};

}  // namespace morvel
