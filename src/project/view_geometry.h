#pragma once

#include <cmath>
#include <cstdint>

namespace morvel {

// Where a composite lies in a view: canvas pixel (cx, cy) shows composite pixel
// (cx / zoom - offset x, cy / zoom - offset y). Conversions are computed in 32-bit floats and
// rounded to the nearest integer, halves to even, except the wheel's zoom, which keeps the pixel
// under the cursor's centre exactly; the tools, the zoom, the wheel, the canvas and the frames
// composed for a view all convert here.
struct ViewGeometry {
    float zoom = 1.0f;
    std::int32_t offsetX = 0;  // in composite pixels, <= 0
    std::int32_t offsetY = 0;

    bool operator==(const ViewGeometry&) const = default;

    // The geometry alone of a view that holds more.
    static ViewGeometry of(const ViewGeometry& view) {
        return ViewGeometry{view.zoom, view.offsetX, view.offsetY};
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

    // The view at newZoom that keeps the composite point at the centre of a canvas of
    // width x height where it is.
    ViewGeometry zoomedAboutCentre(float newZoom, int width, int height) const {
        return ViewGeometry{newZoom, offsetKeepingCentre(newZoom, width, offsetX),
                            offsetKeepingCentre(newZoom, height, offsetY)};
    }
    // The view at newZoom that keeps the composite pixel holding the centre of canvas pixel
    // (cx, cy) under that centre.
    ViewGeometry zoomedKeepingPixel(float newZoom, int cx, int cy) const {
        return ViewGeometry{newZoom, offsetKeepingPixel(newZoom, cx, offsetX),
                            offsetKeepingPixel(newZoom, cy, offsetY)};
    }

private:
    std::int32_t offsetKeepingCentre(float newZoom, int canvasLength, std::int32_t offset) const {
        const float length = static_cast<float>(canvasLength);
        const float shift = (length / zoom - length / newZoom) / 2;
        return static_cast<std::int32_t>(rounded(static_cast<float>(offset) - shift));
    }
    std::int32_t offsetKeepingPixel(float newZoom, int c, std::int32_t offset) const {
        const double centre = c + 0.5;
        const double pixel = std::floor(centre / zoom - offset);
        // The one whole offset that puts the centre inside that pixel again.
        return static_cast<std::int32_t>(std::floor(centre / newZoom - pixel));
    }
    int toComposite(int c, std::int32_t offset) const {
        return static_cast<int>(rounded(static_cast<float>(c) / zoom - static_cast<float>(offset)));
    }
};

}  // namespace morvel
