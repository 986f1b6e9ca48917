#include "editor/brush_stroke.h"

#include <algorithm>
#include <cmath>

#include "editor/rect_union.h"

namespace morvel {

namespace {

// The part [t0, t1] of the segment from p to p + d (t from 0 to 1) that lies within the
// rectangle; false when none does (Liang-Barsky).
bool clipSegment(double px, double py, double dx, double dy, const Rect& r, double& t0,
                 double& t1) {
    t0 = 0;
    t1 = 1;
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {px - r.left, r.right - px, py - r.top, r.bottom - py};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0) {
            if (q[i] < 0) return false;
            continue;
        }
        const double t = q[i] / p[i];
        if (p[i] < 0) {
            t0 = std::max(t0, t);
        } else {
            t1 = std::min(t1, t);
        }
    }
    return t0 <= t1;
}

}  // namespace

int DabSpacing(int s) {
    return std::max(1, s / 4);
}

Rect DabStroke::paintDab(ToolContext& context, int ix, int iy, std::uint8_t grey) {
    const ToolSettings& brush = context.settings();
    const int s = std::clamp(brush.brushSize, 1, 150);
    if (brush.hardness >= 100) return context.paintDab(ix, iy, s, brush.brushShape, grey);
    return context.paintSoftDab(m_soft, ix, iy, s, brush.brushShape, grey, brush.hardness);
}

void DabStroke::begin(ToolContext& context, int ix, int iy, std::uint8_t grey) {
    m_soft.squares.clear();
    m_underWay = true;
    m_lastX = ix;
    m_lastY = iy;
    context.recompose(paintDab(context, ix, iy, grey));
}

void DabStroke::extend(ToolContext& context, int ix, int iy, std::uint8_t grey) {
    if (!m_underWay) {
        begin(context, ix, iy, grey);
        return;
    }
    const int s = std::clamp(context.settings().brushSize, 1, 150);
    const int spacing = DabSpacing(s);
    const double x0 = m_lastX;
    const double y0 = m_lastY;
    const double dx = ix - x0;
    const double dy = iy - y0;
    m_lastX = ix;
    m_lastY = iy;
    const double length = std::hypot(dx, dy);
    if (length == 0) return;
    // Dabs k = 1 .. n at p + d x k / n; the one at k = 0 was painted before.
    const std::int64_t n = static_cast<std::int64_t>(std::ceil(length / spacing));
    // Only dabs that can reach the mask matter; the mask lies in composite rows
    // [composite height - mask height, composite height).
    const GreyImage& mask = context.mask();
    const int maskTop = context.compositeHeight() - mask.height();
    const Rect reach{-s - 2, mask.width() + s + 2, maskTop - s - 2,
                     maskTop + mask.height() + s + 2};
    double t0 = 0;
    double t1 = 0;
    if (!clipSegment(x0, y0, dx, dy, reach, t0, t1)) return;
    const std::int64_t first = std::max<std::int64_t>(1, static_cast<std::int64_t>(t0 * n));
    const std::int64_t last =
        std::min<std::int64_t>(n, static_cast<std::int64_t>(std::ceil(t1 * n)));
    // Recomposing piece by piece keeps each rectangle close to the path, also on a diagonal;
    // pieces about three brush sizes long compose the fewest pixels.
    const std::int64_t perPiece = std::max(1, std::max(64, 3 * s) / spacing);
    Rect piece;
    std::int64_t inPiece = 0;
    for (std::int64_t k = first; k <= last; ++k) {
        const double t = static_cast<double>(k) / static_cast<double>(n);
        const int x = static_cast<int>(std::lround(x0 + dx * t));
        const int y = static_cast<int>(std::lround(y0 + dy * t));
        UniteRect(piece, paintDab(context, x, y, grey));
        if (++inPiece == perPiece || k == last) {
            context.recompose(piece);
            piece = Rect{};
            inPiece = 0;
        }
    }
}

void DabStroke::end() {
    m_underWay = false;
    m_soft.squares.clear();
}

}  // namespace morvel
