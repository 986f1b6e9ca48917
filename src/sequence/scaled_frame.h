#pragma once

#include "platform/image.h"
#include "project/view_geometry.h"
#include "sequence/composition.h"
#include "sequence/film.h"

namespace morvel {

// A view frames are composed for: its geometry, the canvas's size, and the size of the composite
// a frame without pictures shows.
struct FilmView {
    ViewGeometry geometry;
    int canvasWidth = 0;
    int canvasHeight = 0;
    int carriedWidth = kStartCompositeWidth;
    int carriedHeight = kStartCompositeHeight;
    bool operator==(const FilmView&) const = default;
};

// Composes frame into a canvas-sized picture for view, reading its pictures reduced by the
// largest power of two (up to 8) that the zoom still shows, or further for pictures too large
// for a frame's budget (FilmReadFactor), and by at least leastFactor (a quick, coarser picture);
// what cannot be read is left out, without a message. False when the pictures of the sizes
// needed could not be made.
bool ComposeFilmFrame(const FrameFiles& frame, const FilmView& view, Image& out,
                      int leastFactor = 1);

}  // namespace morvel
