#pragma once

#include <cstdint>
#include <unordered_map>
#include <utility>
#include <vector>

#include "editor/edit_session.h"
#include "editor/view.h"
#include "project/document.h"
#include "project/services.h"

namespace morvel {

// Every change of the mask image's pixels goes through these functions: each knows the region
// it changes and hands it to the edit history before it changes a pixel, then sets mask
// modified. Positions are composite pixels: the mask lies under the composite aligned at their
// bottom-left corners, as the composition reads it, so an edit shows where it was made even on
// a mask taller than the composite. Mask pixels outside the mask image are ignored.

// Whether the mask image holds the displayed frame's mask, so that a tool may edit it.
bool DisplayedMaskUsable(const Document& document, const EditSession& session);

// One dab of grey of brush size s (>= 1) and shape (kRoundBrushImage or kSquareBrushImage)
// at (ix, iy): the round dab is the disc inscribed in [ix - s, ix + s - 1] x [iy - s, iy + s - 1]
// (for s = 1 the 2 x 2 square from (ix, iy)), the square dab that whole square. Returns the dab's
// bounding box in composite pixels (not clipped).
Rect PaintMaskDab(Document& document, EditSession& session, int ix, int iy, int s, int shape,
                  std::uint8_t grey);

// What a soft stroke needs to paint each pixel once by its strongest dab: per 64 x 64 square of
// the mask it touched (key: row << 32 | column), the square's grey before the stroke (a byte
// each), then the strongest weight (0..255) any dab gave each pixel; and the weights of the soft
// dab last painted, 2 size x 2 size, with in each of its rows the columns [first, end) of weights
// above 0: every dab of a stroke has the same.
struct SoftStrokeMemory {
    std::unordered_map<std::int64_t, std::vector<std::uint8_t>> squares;
    struct Dab {
        int size = 0;
        int hardness = -1;
        int shape = 0;
        std::vector<std::uint8_t> weights;
        std::vector<std::pair<int, int>> rows;
    } dab;
};

// A soft dab of the stroke whose memory is `stroke`, on the same square as
// PaintMaskDab: a pixel's weight is 1 within s x hardness / 100 of the dab's centre (by the
// distance to the square's edge for the square shape) and falls smoothly to 0 at the rim. Each
// pixel becomes before + (grey - before) x w, with `before` its value when the stroke began and
// w the strongest weight any dab of the stroke gave it. Returns the dab's bounding box.
Rect PaintSoftMaskDab(Document& document, EditSession& session, SoftStrokeMemory& stroke, int ix,
                      int iy, int s, int shape, std::uint8_t grey, int hardness);

// The weight (0..255) of a soft dab of size s at the pixel whose centre lies (dx, dy) from the
// dab's centre; 255 within s x hardness / 100, 0 from s on.
int SoftDabWeight(double dx, double dy, int s, bool round, int hardness);

// Fills the composite pixels r of the mask with grey.
void FillMaskRectangle(Document& document, EditSession& session, const Rect& r, std::uint8_t grey);

// Fills the whole mask image with grey.
void FillMask(Document& document, EditSession& session, std::uint8_t grey);

// The mask image becomes picture, of the same size (nothing otherwise).
void ReplaceMaskPixels(Document& document, EditSession& session, const GreyImage& picture);

// The mask becomes white with `copy` drawn unscaled at (dx, dy) of mask pixels.
void DrawShiftedMask(Document& document, EditSession& session, const GreyImage& copy, int dx,
                     int dy);

}  // namespace morvel
