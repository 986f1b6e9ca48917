#pragma once

#include <cmath>
#include <cstdint>

#include "project/program_state.h"

namespace morvel {

// Canvas and composite coordinates of the view: canvas pixel (cx, cy) shows composite pixel
// (cx / zoom - offset x, cy / zoom - offset y). Every conversion is computed in 32-bit floats
// and rounded to the nearest integer, halves to even; the tools, the zoom, the wheel and the
// canvas all convert here.
struct ViewTransform {
    float zoom = 1.0f;
    std::int32_t offsetX = 0;
    std::int32_t offsetY = 0;

    static ViewTransform of(const ViewState& view) {
        return ViewTransform{view.zoom, view.offsetX, view.offsetY};
    }

    static std::int64_t rounded(float value) {
        return static_cast<std::int64_t>(std::nearbyint(value));  // halves to even
    }

    // The composite pixel under canvas position (cx, cy).
    int compositeX(int cx) const { return toComposite(cx, offsetX); }
    int compositeY(int cy) const { return toComposite(cy, offsetY); }
    // A length of canvas pixels in composite pixels.
    int compositeLength(int canvasLength) const {
        return static_cast<int>(rounded(static_cast<float>(canvasLength) / zoom));
    }
    // A length of composite pixels in canvas pixels.
    std::int64_t canvasLength(float compositeLength) const {
        return rounded(compositeLength * zoom);
    }
    // The offset that puts the composite pixel under canvas position c at the canvas's edge.
    std::int32_t offsetShowingAtEdge(int c, std::int32_t offset) const {
        return -toComposite(c, offset);
    }

private:
    int toComposite(int c, std::int32_t offset) const {
        return static_cast<int>(rounded(static_cast<float>(c) / zoom - static_cast<float>(offset)));
    }
};

}  // namespace morvel
