#include "editor/view_picture.h"

#include <algorithm>
#include <cstring>

#include "editor/mask_edit.h"

namespace morvel {

namespace {

// The take's picture when the work image holds it whole under the composite.
const Image* takeShown(const EditSession& session, int layer) {
    const Image& picture = layer == 0 ? session.images.layer1 : session.images.layer2;
    const Image& composite = session.images.composite;
    const bool present =
        !session.cache.layerSource[layer].empty() && !session.cache.layerFailed[layer];
    if (!present || picture.width() < composite.width() || picture.height() < composite.height())
        return nullptr;
    return &picture;
}

}  // namespace

bool CanvasShowsComposite(const View& view) {
    return view.canvasPicture == CanvasPicture::Result && !view.maskOverlay;
}

void TintByMask(std::uint8_t* p, std::uint8_t m) {
    constexpr unsigned kRed[3] = {255, 0, 0};
    const unsigned a = (255u - m) * 3u / 5u;  // at most 60 % red: the picture stays visible
    for (int c = 0; c < 3; ++c)
        p[c] = static_cast<std::uint8_t>((p[c] * (255u - a) + kRed[c] * a + 127u) / 255u);
}

void DrawViewPicture(const Document& document, const EditSession& session, const View& view,
                     Image& out, const Rect& r) {
    const Image& composite = session.images.composite;
    const int left = std::max(0, r.left);
    const int right = std::min(composite.width(), r.right);
    const int top = std::max(0, r.top);
    const int bottom = std::min(composite.height(), r.bottom);
    if (left >= right || top >= bottom) return;
    const Image* source = &composite;
    if (view.canvasPicture != CanvasPicture::Result)
        source = takeShown(session, view.canvasPicture == CanvasPicture::Layer1 ? 0 : 1);
    const GreyImage& mask = session.images.mask;
    const bool tint = view.maskOverlay && DisplayedMaskUsable(document, session) &&
                      mask.width() >= composite.width() && mask.height() >= composite.height();
    const std::size_t offset = static_cast<std::size_t>(left) * 3;
    const std::size_t bytes = static_cast<std::size_t>(right - left) * 3;
    for (int y = top; y < bottom; ++y) {
        std::uint8_t* row = out.row(y) + offset;
        // Every source lies under the composite aligned at the bottom-left, as blended.
        if (source) {
            std::memcpy(row, source->row(y + source->height() - composite.height()) + offset,
                        bytes);
        } else {
            std::memset(row, 0, bytes);
        }
        if (!tint) continue;
        const std::uint8_t* m = mask.row(y + mask.height() - composite.height()) + left;
        for (std::size_t i = 0; i < bytes; i += 3) TintByMask(row + i, m[i / 3]);
    }
}

}  // namespace morvel
