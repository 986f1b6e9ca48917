#pragma once

#include <cstdint>

#include "editor/mask_edit.h"
#include "editor/tool_context.h"

namespace morvel {

// The distance in composite pixels between two dabs of a brush of size s.
int DabSpacing(int s);

// A brush stroke joins its positions: between the last dab and the next position, dabs are
// placed along the segment at most a quarter of the brush size apart (at least 1 composite
// pixel), so a fast stroke paints a continuous path. Each dab is hard (PaintMaskDab) at
// hardness 100, soft (PaintSoftMaskDab) below; the brush is the context's settings.
class DabStroke {
public:
    // Starts a stroke at composite pixel (ix, iy) with one dab there.
    void begin(ToolContext& context, int ix, int iy, std::uint8_t grey);
    // Paints the dabs from the stroke's last dab to (ix, iy), recomposing what they changed
    // piece by piece along the segment; only the part of the segment near the mask is painted,
    // so a long jump costs no more than a stroke across the picture. Without a stroke under way,
    // begins one.
    void extend(ToolContext& context, int ix, int iy, std::uint8_t grey);
    // The stroke is over: forgets its last dab and what its soft dabs kept.
    void end();

private:
    Rect paintDab(ToolContext& context, int ix, int iy, std::uint8_t grey);

    bool m_underWay = false;
    int m_lastX = 0;  // the last dab, in composite pixels
    int m_lastY = 0;
    SoftStrokeMemory m_soft;
};

}  // namespace morvel
