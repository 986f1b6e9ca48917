#include "editor/mask_edit.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "editor/brush_shape.h"
#include "editor/frame_selection.h"
#include "editor/masks.h"
#include "editor/undo_history.h"
#include "platform/gadgets.h"

namespace morvel {

namespace {

// The mask's rows lie (mask height - composite height) below the composite's.
int maskRowShift(const EditSession& session) {
    return session.images.mask.height() - session.images.composite.height();
}

// r (composite pixels) as mask pixels, clipped to the mask.
Rect onMask(const EditSession& session, const Rect& r) {
    const GreyImage& mask = session.images.mask;
    const int shift = maskRowShift(session);
    Rect m{std::max(r.left, 0), std::min(r.right, mask.width()), std::max(r.top + shift, 0),
           std::min(r.bottom + shift, mask.height())};
    if (m.left >= m.right || m.top >= m.bottom) return Rect{};
    return m;
}

bool isEmpty(const Rect& r) {
    return r.left >= r.right || r.top >= r.bottom;
}

// The mask pixels r are about to change.
void beginChange(Document& document, EditSession& session, const Rect& r) {
    RecordMaskChange(document, session, r);
    MarkMaskModified(session);
}

void fillRun(std::uint8_t* row, int first, int end, std::uint8_t grey) {
    if (first < end) std::memset(row + first, grey, static_cast<std::size_t>(end - first));
}

}  // namespace

bool DisplayedMaskUsable(const Document& document, const EditSession& session) {
    const FrameRecord* frame = DisplayedFrame(document, session);
    return frame && frame->maskNumber != 0 && frame->maskNumber == session.cache.maskNumber &&
           !session.cache.maskFailed;
}

Rect PaintMaskDab(Document& document, EditSession& session, int ix, int iy, int s, int shape,
                  std::uint8_t grey) {
    const bool round = shape != kSquareBrushImage;
    const Rect box =
        round && s == 1 ? Rect{ix, ix + 2, iy, iy + 2} : Rect{ix - s, ix + s, iy - s, iy + s};
    const Rect m = onMask(session, box);
    if (isEmpty(m)) return box;
    beginChange(document, session, m);
    GreyImage& mask = session.images.mask;
    const int shift = maskRowShift(session);
    for (int y = m.top; y < m.bottom; ++y) {
        int first = m.left;
        int end = m.right;
        if (round && s > 1) {
            const DiscRow row = DiscRowExtent(s, y - shift - box.top);
            first = std::max(first, ix + row.first);
            end = std::min(end, ix + row.last + 1);
        }
        fillRun(mask.row(y), first, end, grey);
    }
    return box;
}

int SoftDabWeight(double dx, double dy, int s, bool round, int hardness) {
    const double d = round ? std::sqrt(dx * dx + dy * dy) : std::max(std::abs(dx), std::abs(dy));
    const double inner = s * std::clamp(hardness, 0, 100) / 100.0;
    if (d <= inner) return 255;
    if (d >= s) return 0;
    const double t = (s - d) / (s - inner);
    return static_cast<int>(std::lround(t * t * (3 - 2 * t) * 255));  // smooth at both ends
}

namespace {

// The weights of a soft dab, made once for the strokes' size, hardness and shape.
const SoftStrokeMemory::Dab& softDabOf(SoftStrokeMemory& stroke, int s, int shape, int hardness) {
    SoftStrokeMemory::Dab& dab = stroke.dab;
    if (dab.size == s && dab.hardness == hardness && dab.shape == shape) return dab;
    dab.size = s;
    dab.hardness = hardness;
    dab.shape = shape;
    const int side = 2 * s;
    dab.weights.assign(static_cast<std::size_t>(side) * side, 0);
    dab.rows.assign(static_cast<std::size_t>(side), {0, 0});
    for (int j = 0; j < side; ++j) {
        int first = side;
        int end = 0;
        for (int i = 0; i < side; ++i) {
            // The pixel's centre relative to the dab's centre, which lies on a pixel corner.
            const int w =
                SoftDabWeight(i - s + 0.5, j - s + 0.5, s, shape != kSquareBrushImage, hardness);
            dab.weights[static_cast<std::size_t>(j) * side + i] = static_cast<std::uint8_t>(w);
            if (w == 0) continue;
            first = std::min(first, i);
            end = i + 1;
        }
        dab.rows[static_cast<std::size_t>(j)] = {std::min(first, end), end};
    }
    return dab;
}

}  // namespace

Rect PaintSoftMaskDab(Document& document, EditSession& session, SoftStrokeMemory& stroke, int ix,
                      int iy, int s, int shape, std::uint8_t grey, int hardness) {
    const SoftStrokeMemory::Dab& dab = softDabOf(stroke, s, shape, hardness);
    const Rect box{ix - s, ix + s, iy - s, iy + s};
    const Rect m = onMask(session, box);
    if (isEmpty(m)) return box;
    beginChange(document, session, m);
    GreyImage& mask = session.images.mask;
    const int shift = maskRowShift(session);
    constexpr int kSide = 64;
    auto& squares = stroke.squares;
    // Square by square, so that each square is looked up once per dab.
    for (int top = m.top / kSide * kSide; top < m.bottom; top += kSide) {
        for (int left = m.left / kSide * kSide; left < m.right; left += kSide) {
            const std::int64_t key = (std::int64_t{top / kSide} << 32) | (left / kSide);
            std::vector<std::uint8_t>& square = squares[key];
            if (square.empty()) {
                square.assign(kSide * kSide * 2, 0);
                const int width = std::min(kSide, mask.width() - left);
                for (int r = top; r < std::min(top + kSide, mask.height()); ++r)
                    std::memcpy(&square[static_cast<std::size_t>(r - top) * kSide],
                                mask.row(r) + left, static_cast<std::size_t>(width));
            }
            const int rowEnd = std::min(m.bottom, top + kSide);
            for (int y = std::max(m.top, top); y < rowEnd; ++y) {
                const int j = y - shift - box.top;
                const auto [first, end] = dab.rows[static_cast<std::size_t>(j)];
                const int x0 = std::max({m.left, left, box.left + first});
                const int x1 = std::min({m.right, left + kSide, box.left + end});
                const std::uint8_t* dabWeights =
                    &dab.weights[static_cast<std::size_t>(j) * 2 * s] - box.left;
                const std::size_t rowStart = static_cast<std::size_t>(y - top) * kSide;
                const std::uint8_t* before = &square[rowStart] - left;
                std::uint8_t* weights = &square[kSide * kSide + rowStart] - left;
                std::uint8_t* row = mask.row(y);
                for (int x = x0; x < x1; ++x) {
                    const int w = dabWeights[x];
                    if (w <= weights[x]) continue;  // an earlier dab was as strong
                    weights[x] = static_cast<std::uint8_t>(w);
                    row[x] =
                        static_cast<std::uint8_t>((before[x] * (255 - w) + grey * w + 127) / 255);
                }
            }
        }
    }
    return box;
}

void FillMaskRectangle(Document& document, EditSession& session, const Rect& r, std::uint8_t grey) {
    const Rect m = onMask(session, r);
    if (isEmpty(m)) return;
    beginChange(document, session, m);
    for (int y = m.top; y < m.bottom; ++y)
        fillRun(session.images.mask.row(y), m.left, m.right, grey);
}

void FillMask(Document& document, EditSession& session, std::uint8_t grey) {
    GreyImage& mask = session.images.mask;
    if (mask.empty()) return;
    beginChange(document, session, Rect{0, mask.width(), 0, mask.height()});
    mask.fill(grey);
}

void ReplaceMaskPixels(Document& document, EditSession& session, const GreyImage& picture) {
    GreyImage& mask = session.images.mask;
    if (mask.empty() || picture.width() != mask.width() || picture.height() != mask.height())
        return;
    beginChange(document, session, Rect{0, mask.width(), 0, mask.height()});
    for (int y = 0; y < mask.height(); ++y)
        std::memcpy(mask.row(y), picture.row(y), static_cast<std::size_t>(mask.width()));
}

void DrawShiftedMask(Document& document, EditSession& session, const GreyImage& copy, int dx,
                     int dy) {
    GreyImage& mask = session.images.mask;
    if (mask.empty()) return;
    beginChange(document, session, Rect{0, mask.width(), 0, mask.height()});
    const int left = std::clamp(dx, 0, mask.width());
    const int right = std::clamp(dx + copy.width(), left, mask.width());
    for (int y = 0; y < mask.height(); ++y) {
        std::uint8_t* row = mask.row(y);
        const int from = y - dy;
        if (from < 0 || from >= copy.height() || left >= right) {
            fillRun(row, 0, mask.width(), 255);
            continue;
        }
        fillRun(row, 0, left, 255);
        std::memcpy(row + left, copy.row(from) + (left - dx),
                    static_cast<std::size_t>(right - left));
        fillRun(row, right, mask.width(), 255);
    }
}

}  // namespace morvel
