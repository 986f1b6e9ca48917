#include "editor/canvas_film.h"

namespace morvel {

Film FilmOf(const ProgramState& state) {
    return Film(state.document);
}

FilmView FilmViewOf(const ProgramState& state) {
    FilmView view;
    view.geometry = ViewGeometry::of(state.view);
    view.canvasWidth = state.images.canvas.width();
    view.canvasHeight = state.images.canvas.height();
    view.carriedWidth = state.images.composite.width();
    view.carriedHeight = state.images.composite.height();
    return view;
}

}  // namespace morvel
