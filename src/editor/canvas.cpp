#include "editor/canvas.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "editor/brush_shape.h"
#include "editor/mask_tool.h"
#include "editor/onion_skin.h"
#include "editor/view_picture.h"
#include "editor/rect_union.h"
#include "project/view_geometry.h"
#include "platform/gadgets.h"

namespace morvel {

namespace {

using i64 = std::int64_t;

Placement placementOf(const EditSession& session, const View& view) {
    return PlacementOf(ViewGeometry::of(view), session.images.composite);
}

// The canvas pixels whose scaled value depends on the composite pixels in r.
Rect canvasPixelsOf(const Rect& r, const Image& composite, const Placement& at,
                    const Rect& visible) {
    const i64 w2 = composite.width();
    const i64 h2 = composite.height();
    Rect out;
    out.left = static_cast<std::int32_t>(
        std::clamp<i64>(at.left + r.left * at.width / w2, visible.left, visible.right));
    out.right = static_cast<std::int32_t>(
        std::clamp<i64>(at.left + (r.right * at.width + w2 - 1) / w2, visible.left, visible.right));
    out.top = static_cast<std::int32_t>(
        std::clamp<i64>(at.top + r.top * at.height / h2, visible.top, visible.bottom));
    out.bottom = static_cast<std::int32_t>(std::clamp<i64>(
        at.top + (r.bottom * at.height + h2 - 1) / h2, visible.top, visible.bottom));
    return out;
}

// Collects overlay pixels inside the canvas, each once.
class Overlay {
public:
    Overlay(std::vector<std::uint32_t>& pixels, Rect& bounds, int width, int height)
        : m_pixels(pixels), m_bounds(bounds), m_width(width), m_height(height) {
        m_pixels.clear();
        m_bounds = Rect{};
    }

    // The pixels [x0, x1] of row y.
    void run(i64 y, i64 x0, i64 x1) {
        if (y < 0 || y >= m_height) return;
        x0 = std::max<i64>(x0, 0);
        x1 = std::min<i64>(x1, m_width - 1);
        if (x0 > x1) return;
        for (i64 x = x0; x <= x1; ++x)
            m_pixels.push_back(static_cast<std::uint32_t>(y * m_width + x));
        UniteRect(m_bounds, Rect{static_cast<std::int32_t>(x0), static_cast<std::int32_t>(x1 + 1),
                             static_cast<std::int32_t>(y), static_cast<std::int32_t>(y + 1)});
    }

    // The one-pixel outline of the box [x0, x1] x [y0, y1].
    void box(i64 x0, i64 y0, i64 x1, i64 y1) {
        run(y0, x0, x1);
        if (y1 != y0) run(y1, x0, x1);
        for (i64 y = std::max<i64>(y0 + 1, 0); y < y1 && y < m_height; ++y) {
            run(y, x0, x0);
            if (x1 != x0) run(y, x1, x1);
        }
    }

    // The outline of the disc inscribed in [x - r, x + r - 1] x [y - r, y + r - 1]: the disc's
    // pixels that have a neighbour above, below, left or right outside the disc.
    void circle(i64 x, i64 y, int r) {
        for (int j = static_cast<int>(std::max<i64>(0, r - y)); j < 2 * r && y - r + j < m_height;
             ++j) {
            const DiscRow row = DiscRowExtent(r, j);
            // The inner part: the pixels whose neighbours above and below are in the disc.
            DiscRow inner{row.first + 1, row.last - 1};
            for (int k : {j - 1, j + 1}) {
                if (k < 0 || k >= 2 * r) {
                    inner = DiscRow{1, 0};
                    break;
                }
                const DiscRow next = DiscRowExtent(r, k);
                inner.first = std::max(inner.first, next.first);
                inner.last = std::min(inner.last, next.last);
            }
            const i64 py = y - r + j;
            if (inner.first > inner.last) {
                run(py, x + row.first, x + row.last);
            } else {
                run(py, x + row.first, x + inner.first - 1);
                run(py, x + inner.last + 1, x + row.last);
            }
        }
    }

private:
    std::vector<std::uint32_t>& m_pixels;
    Rect& m_bounds;
    i64 m_width;
    i64 m_height;
};

void invert(Image& canvas, const std::vector<std::uint32_t>& pixels) {
    const int width = canvas.width();
    for (std::uint32_t index : pixels) {
        std::uint8_t* p = canvas.row(static_cast<int>(index / width)) + (index % width) * 3;
        p[0] = static_cast<std::uint8_t>(255 - p[0]);
        p[1] = static_cast<std::uint8_t>(255 - p[1]);
        p[2] = static_cast<std::uint8_t>(255 - p[2]);
    }
}

// The overlay at cursor (x, y): the brush outline of the eraser and the anti-eraser, else the
// rubber band spanned by (x, y) and (x + w, y + h).
void collectOverlay(const View& view, Overlay& overlay, int x, int y, int w, int h) {
    if (x < 0 || y < 0) return;
    const MaskTool* tool = view.toolInUse.get();
    if (tool && tool->outline() == ToolOutline::Brush) {
        const i64 r = ViewGeometry::of(view).canvasLength(
            static_cast<float>(view.toolSettings.brushSize));
        if (r <= 0) return;
        if (view.toolSettings.brushShape == kSquareBrushImage) {
            overlay.box(x - r, y - r, x + r - 1, y + r - 1);
        } else if (r == 1) {
            overlay.box(x, y, x + 1, y + 1);
        } else {
            overlay.circle(x, y, static_cast<int>(std::min<i64>(r, 1 << 20)));
        }
        return;
    }
    if (w == 0 || h == 0) return;
    overlay.box(std::min<i64>(x, i64{x} + w), std::min<i64>(y, i64{y} + h),
                std::max<i64>(x, i64{x} + w), std::max<i64>(y, i64{y} + h));
}

// The picture the canvas scales: the composite itself, or the picture `shown` made from the
// takes, the composite and the mask as the view asks, brought up to date here.
const Image& pictureToScale(Document& document, EditSession& session, View& view) {
    CanvasCache& cache = view.canvasCache;
    const Image& composite = session.images.composite;
    Image& shown = session.images.shown;
    if (CanvasShowsComposite(view)) {
        shown = Image();  // a large picture's worth of memory, not needed in this view
        cache.shownValid = false;
        return composite;
    }
    if (shown.width() != composite.width() || shown.height() != composite.height()) {
        shown = Image();
        auto made = Image::create(composite.width(), composite.height());
        if (!made) return composite;  // shows at least the picture
        shown = std::move(*made);
        cache.shownValid = false;
    }
    if (!cache.shownValid || cache.shownPicture != view.canvasPicture ||
        cache.shownOverlay != view.maskOverlay) {
        DrawViewPicture(document, session, view, shown,
                        Rect{0, composite.width(), 0, composite.height()});
        cache.shownValid = true;
        cache.shownPicture = view.canvasPicture;
        cache.shownOverlay = view.maskOverlay;
        return shown;
    }
    for (const Rect& stale : cache.stale) DrawViewPicture(document, session, view, shown, stale);
    return shown;
}

// Copies the canvas made ahead with the composite into the canvas when it shows the composite
// in the very view it was made for; it is used at most once.
bool takeCanvasMadeAhead(EditSession& session, View& view, const Image& picture) {
    CanvasCache& cache = view.canvasCache;
    Image& canvas = view.canvas;
    const Image ahead = std::move(cache.aheadCanvas);  // used at most once
    if (ahead.empty() || &picture != &session.images.composite ||
        cache.aheadComposite != picture.data() || cache.aheadView != ViewGeometry::of(view) ||
        ahead.width() != canvas.width() || ahead.height() != canvas.height())
        return false;
    std::memcpy(canvas.data(), ahead.data(),
                canvas.stride() * static_cast<std::size_t>(canvas.height()));
    return true;
}

}  // namespace

void CanvasCompositeChanged(View& view, const Rect& r) {
    if (IsEmptyRect(r)) return;
    std::vector<Rect>& stale = view.canvasCache.stale;
    // Many small changes (the tiles of an undone stroke) are scaled one by one; beyond that
    // number their bounding box is cheaper to keep.
    constexpr std::size_t kMostRectangles = 256;
    if (stale.size() < kMostRectangles) {
        stale.push_back(r);
        return;
    }
    Rect all = r;
    for (const Rect& s : stale) UniteRect(all, s);
    stale.assign(1, all);
}

void InvalidateCanvas(View& view) {
    view.canvasCache.valid = false;
}

void RedrawCanvas(Document& document, EditSession& session, View& view, Services& services, int x,
                  int y, int w, int h) {
    Image& canvas = view.canvas;
    const Image& composite = session.images.composite;
    const Image& picture = pictureToScale(document, session, view);
    const bool onionChanged = UpdateOnionSkin(document, session, view);
    CanvasCache& cache = view.canvasCache;
    const Placement at = placementOf(session, view);
    const Rect visible = VisiblePart(canvas, at);
    const bool scaled = at.width > 0 && at.height > 0 && !composite.empty();

    Rect changed;
    const bool sameView =
        cache.valid && cache.canvasWidth == canvas.width() &&
        cache.canvasHeight == canvas.height() && cache.canvasPixels == canvas.data() &&
        cache.compositeWidth == composite.width() && cache.compositeHeight == composite.height() &&
        cache.compositePixels == composite.data() && cache.drawnLeft == at.left &&
        cache.drawnTop == at.top && cache.drawnWidth == at.width &&
        cache.drawnHeight == at.height && cache.drawnPicture == view.canvasPicture &&
        cache.drawnOverlay == view.maskOverlay && !onionChanged;
    if (!sameView) {
        if (!takeCanvasMadeAhead(session, view, picture)) {
            FillBackground(canvas, scaled ? visible : Rect{});
            if (scaled && !IsEmptyRect(visible)) ScaleInto(canvas, picture, at, visible);
        }
        BlendOnionSkin(cache.onion, canvas, 0, 0, canvas.width(), canvas.height());
        cache.overlay.clear();
        cache.overlayBounds = Rect{};
        changed = Rect{0, canvas.width(), 0, canvas.height()};
        cache.valid = true;
        cache.canvasWidth = canvas.width();
        cache.canvasHeight = canvas.height();
        cache.canvasPixels = canvas.data();
        cache.compositeWidth = composite.width();
        cache.compositeHeight = composite.height();
        cache.compositePixels = composite.data();
        cache.drawnLeft = at.left;
        cache.drawnTop = at.top;
        cache.drawnWidth = at.width;
        cache.drawnHeight = at.height;
        cache.drawnPicture = view.canvasPicture;
        cache.drawnOverlay = view.maskOverlay;
    } else {
        // Take the old overlay away first (inverting twice restores the pixels), so that
        // rescaled pixels are not inverted by its removal.
        invert(canvas, cache.overlay);
        UniteRect(changed, cache.overlayBounds);
        for (Rect stale : cache.stale) {
            stale.left = std::max(stale.left, 0);
            stale.top = std::max(stale.top, 0);
            stale.right = std::min(stale.right, composite.width());
            stale.bottom = std::min(stale.bottom, composite.height());
            if (!scaled || IsEmptyRect(stale) || IsEmptyRect(visible)) continue;
            const Rect part = canvasPixelsOf(stale, composite, at, visible);
            if (IsEmptyRect(part)) continue;
            ScaleInto(canvas, picture, at, part);
            BlendOnionSkin(cache.onion, canvas, part.left, part.top, part.right, part.bottom);
            UniteRect(changed, part);
        }
    }
    cache.stale.clear();

    Overlay overlay(cache.overlay, cache.overlayBounds, canvas.width(), canvas.height());
    collectOverlay(view, overlay, x, y, w, h);
    invert(canvas, cache.overlay);
    UniteRect(changed, cache.overlayBounds);
    cache.lastX = x;
    cache.lastY = y;
    cache.lastW = w;
    cache.lastH = h;

    services.shell.presentCanvas(changed.left, changed.top, changed.right, changed.bottom);
    services.shell.pause(services.redrawPause);
}

bool CanvasOfCompositeAlone(const EditSession& session, const View& view, Image& out) {
    const CanvasCache& cache = view.canvasCache;
    const Image& canvas = view.canvas;
    const Image& composite = session.images.composite;
    if (!cache.valid || !cache.stale.empty() || !cache.onion.empty() ||
        !CanvasShowsComposite(view) || cache.drawnPicture != CanvasPicture::Result ||
        cache.drawnOverlay || cache.canvasPixels != canvas.data() ||
        cache.compositePixels != composite.data())
        return false;
    out = canvas;
    invert(out, cache.overlay);
    return true;
}

}  // namespace morvel
